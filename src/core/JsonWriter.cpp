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

void JsonWriter::value(QStringView text)
{
    separate();
    static constexpr char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    put('"');
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            put('\\');
            put(c);
        } else if (u < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 0xF]};
            put(escaped, sizeof escaped);
        } else {
            put(c);
        }
    }
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
    if (json.isEmpty())
        m_ok = false;
    put(json.data(), json.size());
}
