#include "JsonWriter.h"

#include <charconv>
#include <cmath>

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.isEmpty()) {
        if (!m_first.last())
            m_out += ',';
        m_first.last() = false;
    }
}

void JsonWriter::open(char bracket)
{
    separate();
    m_out += bracket;
    m_first.append(true);
}

void JsonWriter::close(char bracket)
{
    m_first.removeLast();
    m_out += bracket;
}

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(QLatin1StringView name)
{
    separate();
    m_out += '"';
    m_out += QByteArrayView(name.data(), name.size());
    m_out += "\":";
    m_afterKey = true;
}

void JsonWriter::value(QStringView text)
{
    separate();
    static constexpr char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    m_out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += c;
        } else if (u < 0x20) {
            m_out += "\\u00";
            m_out += hex[u >> 4];
            m_out += hex[u & 0xF];
        } else {
            m_out += c;
        }
    }
    m_out += '"';
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
    m_out.append(buffer, result.ptr - buffer);
}

void JsonWriter::value(bool flag)
{
    separate();
    m_out += flag ? "true" : "false";
}
