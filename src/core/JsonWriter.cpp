#include "JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

JsonWriter::JsonWriter(qsizetype expectedBytes)
{
    m_out.resize(std::max<qsizetype>(expectedBytes, 16));
    m_data = m_out.data();
}

void JsonWriter::grow(qsizetype needed)
{
    m_out.resize(std::max(m_out.size() * 2, m_size + needed));
    m_data = m_out.data();
}

QByteArray JsonWriter::take()
{
    m_out.truncate(m_size);
    m_data = nullptr;
    m_size = 0;
    return std::exchange(m_out, QByteArray());
}

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.isEmpty()) {
        if (!m_first.last())
            put(',');
        m_first.last() = false;
    }
}

void JsonWriter::open(char bracket)
{
    separate();
    put(bracket);
    m_first.append(true);
}

void JsonWriter::close(char bracket)
{
    m_first.removeLast();
    put(bracket);
}

void JsonWriter::beginObject()
{
    open('{');
}
void JsonWriter::endObject()
{
    close('}');
}
void JsonWriter::beginArray()
{
    open('[');
}
void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::key(QLatin1StringView name)
{
    separate();
    put('"');
    put(name.data(), name.size());
    put("\":", 2);
    m_afterKey = true;
}

namespace {
constexpr char hexDigits[] = "0123456789abcdef";

/// Where the next surrogate without its partner stands in `text`, or its size.
qsizetype nextLoneSurrogate(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return i;
    }
    return text.size();
}
} // namespace

void JsonWriter::putEscaped(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            put('\\');
            put(c);
        } else if (u < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', hexDigits[u >> 4], hexDigits[u & 0xF]};
            put(escaped, sizeof escaped);
        } else {
            put(c);
        }
    }
}

void JsonWriter::value(QStringView text)
{
    separate();
    put('"');
    // UTF-8 has no form for a surrogate without its partner (it would become "?"); its \u escape
    // keeps the text exactly as it is in memory.
    qsizetype start = 0;
    for (qsizetype lone = nextLoneSurrogate(text, 0); lone < text.size();
         lone = nextLoneSurrogate(text, start)) {
        putEscaped(text.sliced(start, lone - start));
        const char16_t unit = text[lone].unicode();
        const char escaped[] = {'\\', 'u', hexDigits[unit >> 12], hexDigits[(unit >> 8) & 0xF],
                                hexDigits[(unit >> 4) & 0xF], hexDigits[unit & 0xF]};
        put(escaped, sizeof escaped);
        start = lone + 1;
    }
    putEscaped(text.sliced(start));
    put('"');
}

void JsonWriter::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        m_ok = false;
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    put(buffer, result.ptr - buffer);
}

void JsonWriter::value(bool flag)
{
    separate();
    if (flag)
        put("true", 4);
    else
        put("false", 5);
}

void JsonWriter::raw(QByteArrayView json)
{
    separate();
    if (json.isEmpty()) {
        m_ok = false; // an empty piece has no data pointer to copy from
        return;
    }
    put(json.data(), json.size());
}
