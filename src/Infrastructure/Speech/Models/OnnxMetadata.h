#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace vocena::OnnxMetadata {

// The custom metadata (metadata_props) of an ONNX model file, such as "model_type". Reads only
// the top level of the protobuf message, through a memory map, so a model of hundreds of MB
// costs a few page reads. A file that is not an ONNX model gives an empty map; never throws.
QMap<QString, QString> read(const QString& path);

// The names of the graph's inputs, in order (the weights stored as initializers are skipped
// over, not read); empty for a file that is not an ONNX model.
QStringList inputNames(const QString& path);

}  // namespace vocena::OnnxMetadata
