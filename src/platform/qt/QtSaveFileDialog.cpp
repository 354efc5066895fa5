#include "platform/qt/QtSaveFileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace lctune {

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString caption = parts[i].trimmed();
        QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        pattern = pattern.simplified();
        if (caption.isEmpty() && pattern.isEmpty()) continue;
        if (pattern.isEmpty())
            entries << caption;
        else if (caption.isEmpty())
            entries << pattern;
        else if (caption.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')))
            entries << caption;
        else
            entries << caption + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::string QtSaveFileDialog::askSaveFileName(const std::string& filter, bool overwritePrompt) {
    const QFileDialog::Options options =
        overwritePrompt ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(parent_, caption_, QString(), qtFileFilter(filter), nullptr, options)
        .toStdString();
}

} // namespace lctune
