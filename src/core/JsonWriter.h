#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QStringView>
#include <QVarLengthArray>

#include <cstring>

/// A compact JSON writer that streams straight into bytes. It exists because building a
/// QJsonDocument for thousands of wishes costs several times the file write itself, and because
/// Qt's writer silently turns NaN and infinity into null, which would make the file unreadable.
/// Callers must balance begin/end; `ok()` turns false for good once a non-finite number is given.
class JsonWriter {
public:
    /// A writer whose buffer starts with room for `expectedBytes`.
    explicit JsonWriter(qsizetype expectedBytes = 256);

    /// Opens an object (as a value, or after `key`).
    void beginObject();
    /// Closes the innermost object.
    void endObject();
    /// Opens an array.
    void beginArray();
    /// Closes the innermost array.
    void endArray();
    /// Writes an object key; the next call writes its value.
    void key(QLatin1StringView name);
    /// Writes a string value, escaped as JSON requires; a surrogate without its partner is written
    /// as its \u escape, so the text reads back exactly.
    void value(QStringView text);
    /// Writes a number in its shortest round-trip form; refuses NaN and infinity.
    void value(double number);
    /// Writes true or false.
    void value(bool flag);
    /// Writes an already encoded JSON value as it is; an empty one writes nothing and counts as a
    /// failure.
    void raw(QByteArrayView json);

    /// False once a value could not be written.
    bool ok() const { return m_ok; }
    /// How many bytes have been written.
    qsizetype size() const { return m_size; }
    /// The bytes written; the writer is empty afterwards.
    QByteArray take();

private:
    void separate();
    /// Text without lone surrogates, escaped as JSON requires.
    void putEscaped(QStringView text);
    void open(char bracket);
    void close(char bracket);
    void grow(qsizetype needed);
    void put(char c)
    {
        if (m_size == m_out.size())
            grow(1);
        m_data[m_size++] = c;
    }
    void put(const char *bytes, qsizetype count)
    {
        if (m_size + count > m_out.size())
            grow(count);
        std::memcpy(m_data + m_size, bytes, size_t(count));
        m_size += count;
    }

    // Writing through a raw pointer into a pre-sized buffer: QByteArray's own append checks
    // sharing and capacity per call, which made encoding slower than the file write.
    QByteArray m_out;
    char *m_data = nullptr;           ///< m_out's bytes; valid until the next grow
    qsizetype m_size = 0;             ///< bytes written; m_out.size() is the capacity
    QVarLengthArray<bool, 8> m_first; ///< per open container: nothing written into it yet
    bool m_afterKey = false;
    bool m_ok = true;
};
