#pragma once
// Little-endian numbers inside file bytes. The caller has checked that they are there.

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

namespace vb {

inline uint16_t Le16(const uint8_t* bytes) {
    return qFromLittleEndian<quint16>(bytes);
}

inline uint16_t Le16(const QByteArray& bytes, int64_t at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

inline uint32_t Le32(const QByteArray& bytes, int64_t at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace vb
