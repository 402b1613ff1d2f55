#include "LoginStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {
/// A path as one word of a desktop entry's Exec line: quoted, with the characters that quoting does
/// not protect escaped, and the entry's own escapes doubled.
QString execWord(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u"\\"_s, u"\\\\"_s); // the entry's string escapes come first when it is read
    quoted.replace(u"%"_s, u"%%"_s);    // a field code otherwise
    // A line break would end the line and start a key of the path's making.
    quoted.replace(u"\n"_s, u"\\n"_s).replace(u"\r"_s, u"\\r"_s);
    return u'"' + quoted + u'"';
}
} // namespace

LoginStart::LoginStart(QString folder, QString program)
    : m_path(QDir(folder).filePath(u"kivvo.desktop"_s)), m_program(std::move(program))
{
}

namespace {
QString &redirectedFolder()
{
    static QString folder;
    return folder;
}
} // namespace

LoginStart LoginStart::forThisUser()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString &redirected = redirectedFolder();
    return {redirected.isEmpty() ? QDir(config).filePath(u"autostart"_s) : redirected,
            QCoreApplication::applicationFilePath()};
}

void LoginStart::redirect(const QString &folder)
{
    redirectedFolder() = folder;
}

bool LoginStart::isOn() const
{
    return QFileInfo::exists(m_path);
}

bool LoginStart::setOn(bool on) const
{
    if (!on)
        return !isOn() || QFile::remove(m_path);
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    QSaveFile file(m_path);
    return file.open(QIODevice::WriteOnly) && file.write(entry(m_program)) >= 0 && file.commit();
}

QByteArray LoginStart::entry(const QString &program)
{
    return u"[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kivvo\n"
           "Name[ko]=키보\n"
           "Comment=A rock companion in the tray that keeps your wishes\n"
           "Exec=%1\n"
           "Icon=kivvo\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n"_s.arg(execWord(program))
        .toUtf8();
}
