#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace lctune {

namespace {

bool isAddress(const QString& text) {
    for (const char* scheme : {"http:", "https:", "mailto:", "file:"})
        if (text.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

QUrl shellUrl(const std::string& pathOrAddress) {
    const QString text = QString::fromStdString(pathOrAddress);
    const QString address = text.trimmed();
    if (address.isEmpty()) return {};
    if (isAddress(address)) return QUrl(address, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

bool QtShell::open(const std::string& pathOrAddress) {
    const QUrl url = shellUrl(pathOrAddress);
    if (!url.isValid()) return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    return QDesktopServices::openUrl(url);
}

bool QtShell::startProgram(const std::string& program, const std::vector<std::string>& arguments) {
    if (program.empty()) return false;
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace lctune
