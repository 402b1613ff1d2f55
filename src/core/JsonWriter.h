#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QStringView>
#include <QVarLengthArray>

/// A compact JSON writer that streams straight into bytes. It exists because building a
/// QJsonDocument for thousands of wishes costs several times the file write itself, and because
/// Qt's writer silently turns NaN and infinity into null, which would make the file unreadable.
/// Callers must balance begin/end; `ok()` turns false for good once a non-finite number is given.
class JsonWriter {
public:
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
    /// Writes a string value, escaped as JSON requires.
    void value(QStringView text);
    /// Writes a number in its shortest round-trip form; refuses NaN and infinity.
    void value(double number);
    /// Writes true or false.
    void value(bool flag);

    /// False once a value could not be written.
    bool ok() const { return m_ok; }
    /// The bytes written so far.
    const QByteArray &bytes() const { return m_out; }

private:
    void separate();
    void open(char bracket);
    void close(char bracket);

    QByteArray m_out;
    QVarLengthArray<bool, 8> m_first; ///< per open container: nothing written into it yet
    bool m_afterKey = false;
    bool m_ok = true;
};
