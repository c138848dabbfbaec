#include "base/cp1252.h"

#include <array>

namespace {

// 0x80..0x9F; 0 marks the undefined bytes.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        char16_t u = b;
        if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
            u = kHigh[b - 0x80];
        *out++ = QChar(u);
    }
    return text;
}

QByteArray toCp1252(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (kHigh[i] == u && u != 0) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        // The undefined bytes round-trip as their C1 controls.
        if (mapped == '?' && u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
            mapped = static_cast<char>(u);
        bytes.append(mapped);
    }
    return bytes;
}
