#include "platform/qt/QtSettingsStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace lctune {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// "section/key": QSettings' own path of a key inside a group.
QString keyPath(const QString& section, const QString& key) {
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

// A value as the file holds it: text, or a list when a hand-edited value has unquoted commas
// (QSettings splits those; the text is put back together). Anything else is not text.
std::optional<QString> textOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QStringLiteral(", "));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return std::nullopt;
    }
}

} // namespace

QtSettingsStore::QtSettingsStore(QString folder) : folder_(std::move(folder)) {
    if (folder_.isEmpty())
        folder_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                  QString::fromUtf8(kOrganization);
}

QtSettingsStore::~QtSettingsStore() {
    sync();
}

QString QtSettingsStore::fileName(const std::string& application) const {
    return folder_ + QLatin1Char('/') + qt(application) + QStringLiteral(".ini");
}

QtSettingsStore::File& QtSettingsStore::fileOf(const std::string& application) {
    File& file = files_[application];
    if (!file.settings) reopen(file, fileName(application));
    return file;
}

void QtSettingsStore::reopen(File& file, const QString& path) {
    file.settings.reset();
    file.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    for (const auto& [name, value] : file.unsaved)
        file.settings->setValue(keyPath(name.first, name.second), value);
}

std::string QtSettingsStore::read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) {
    if (key.empty()) return defaultValue;
    const QVariant value = fileOf(application).settings->value(keyPath(qt(section), qt(key)));
    if (!value.isValid()) return defaultValue;
    const std::optional<QString> text = textOf(value);
    return text ? text->toStdString() : defaultValue;
}

bool QtSettingsStore::write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    if (key.empty()) return false;
    File& file = fileOf(application);
    const QString s = qt(section), k = qt(key), v = qt(value);
    file.settings->setValue(keyPath(s, k), v);
    file.unsaved[{s, k}] = v;
    return true;
}

bool QtSettingsStore::sync() {
    bool saved = true;
    for (auto& [application, file] : files_)
        if (!file.unsaved.empty() && !save(file, fileName(application))) saved = false;
    return saved;
}

// QSettings keeps the first error it met: a file with lines it could not read (FormatError, from
// loading a hand-edited file) would hide a failed save. Such a file is written again from a fresh
// QSettings: a save that went through leaves it clean, so the second status tells the truth.
bool QtSettingsStore::save(File& file, const QString& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        file.settings->sync();
        const QSettings::Status status = file.settings->status();
        if (status == QSettings::NoError) {
            file.unsaved.clear();
            return true;
        }
        reopen(file, path);
        if (status == QSettings::AccessError) return false;
    }
    return false;
}

} // namespace lctune
