#pragma once

#include <QMap>
#include <QString>

namespace vocena::OnnxMetadata {

// The custom metadata (metadata_props) of an ONNX model file, such as "model_type". Reads only
// the top level of the protobuf message, through a memory map, so a model of hundreds of MB
// costs a few page reads. A file that is not an ONNX model gives an empty map; never throws.
QMap<QString, QString> read(const QString& path);

}  // namespace vocena::OnnxMetadata
