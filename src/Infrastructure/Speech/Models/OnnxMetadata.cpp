#include "Infrastructure/Speech/Models/OnnxMetadata.h"

#include <QFile>
#include <cstdint>
#include <optional>

namespace vocena::OnnxMetadata {

namespace {

// A bounds-checked reader of protobuf wire format.
class WireReader {
public:
    WireReader(const uchar* data, qint64 size) : m_data(data), m_end(data + size) {}

    bool atEnd() const { return m_data >= m_end; }

    std::optional<quint64> varint() {
        quint64 value = 0;
        for (int shift = 0; shift < 64 && m_data < m_end; shift += 7) {
            const uchar byte = *m_data++;
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80)) return value;
        }
        return std::nullopt;
    }

    // The bytes of a length-delimited field.
    std::optional<WireReader> bytes() {
        const auto length = varint();
        if (!length || *length > quint64(m_end - m_data)) return std::nullopt;
        WireReader field(m_data, qint64(*length));
        m_data += *length;
        return field;
    }

    bool skip(int wireType) {
        switch (wireType) {
        case 0: return varint().has_value();
        case 1: return advance(8);
        case 2: return bytes().has_value();
        case 5: return advance(4);
        default: return false;  // groups are not used by ONNX
        }
    }

    QString text() const { return QString::fromUtf8(reinterpret_cast<const char*>(m_data), m_end - m_data); }

private:
    bool advance(qint64 count) {
        if (count > m_end - m_data) return false;
        m_data += count;
        return true;
    }

    const uchar* m_data;
    const uchar* m_end;
};

constexpr quint64 kGraphField = 7;           // ModelProto.graph
constexpr quint64 kInputField = 11;          // GraphProto.input
constexpr quint64 kNameField = 1;            // ValueInfoProto.name
constexpr quint64 kMetadataPropsField = 14;  // ModelProto.metadata_props
constexpr quint64 kKeyField = 1;             // StringStringEntryProto.key
constexpr quint64 kValueField = 2;           // StringStringEntryProto.value

void readEntry(WireReader entry, QMap<QString, QString>& out) {
    QString key, value;
    while (!entry.atEnd()) {
        const auto tag = entry.varint();
        if (!tag) return;
        const quint64 field = *tag >> 3;
        const int wireType = int(*tag & 7);
        if (wireType == 2 && (field == kKeyField || field == kValueField)) {
            const auto text = entry.bytes();
            if (!text) return;
            (field == kKeyField ? key : value) = text->text();
        } else if (!entry.skip(wireType)) {
            return;
        }
    }
    if (!key.isEmpty()) out.insert(key, value);
}

// Calls `visit` with each length-delimited field `number` of `message`, until it returns false.
template <typename Visit>
void eachField(WireReader message, quint64 number, Visit&& visit) {
    while (!message.atEnd()) {
        const auto tag = message.varint();
        if (!tag) return;
        const int wireType = int(*tag & 7);
        if ((*tag >> 3) == number && wireType == 2) {
            const auto field = message.bytes();
            if (!field || !visit(*field)) return;
        } else if (!message.skip(wireType)) {
            return;
        }
    }
}

// Maps `path` for the length of `use(reader)`; false when it cannot be read.
template <typename Use>
bool withModel(const QString& path, Use&& use) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) return false;
    const qint64 size = file.size();
    const uchar* data = file.map(0, size);
    if (!data) return false;
    use(WireReader(data, size));
    file.unmap(const_cast<uchar*>(data));
    return true;
}

}  // namespace

QStringList inputNames(const QString& path) {
    QStringList names;
    withModel(path, [&names](WireReader model) {
        eachField(model, kGraphField, [&names](WireReader graph) {
            eachField(graph, kInputField, [&names](WireReader input) {
                eachField(input, kNameField, [&names](WireReader name) {
                    names << name.text();
                    return false;
                });
                return true;
            });
            return false;
        });
    });
    return names;
}

QMap<QString, QString> read(const QString& path) {
    QMap<QString, QString> out;
    withModel(path, [&out](WireReader model) {
        eachField(model, kMetadataPropsField, [&out](WireReader entry) {
            readEntry(entry, out);
            return true;
        });
    });
    return out;
}

}  // namespace vocena::OnnxMetadata
