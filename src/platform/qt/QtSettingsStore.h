#pragma once
// The per-user settings store on QSettings: one INI file per application name,
// <configuration folder>/岚川工作室/<application>.ini, where the configuration folder is Qt's
// generic configuration location ($XDG_CONFIG_HOME, else ~/.config; Qt's test location in test
// mode). Section = INI group, key = key, values as text; non-ASCII group and key names are escaped
// by Qt in the file and read back as written. User-interface thread only.

#include "platform/SettingsStore.h"

#include <QString>

#include <map>
#include <memory>
#include <string>
#include <utility>

class QSettings;

namespace lctune {

class QtSettingsStore : public SettingsStore {
public:
    /// The maker's folder under the configuration folder.
    static constexpr const char* kOrganization = "岚川工作室";

    /// The files live in `folder` (created when first written); empty: the maker's folder under
    /// the user's configuration folder.
    explicit QtSettingsStore(QString folder = {});
    /// Writes what is not saved yet, as a last attempt.
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    /// The stored text; the default when the key is absent or its value is not text (a
    /// hand-edited file may hold anything; nothing in it makes this fail).
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    /// Holds the value for the file: it is read back at once and saved by the next sync (or when
    /// the store goes). False only for an empty key.
    bool write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    /// Saves every file with unsaved values; false when any could not be written (a read-only
    /// folder, a full disk). Values that could not be saved are kept and tried again next time.
    bool sync() override;

    /// The file of `application`.
    QString fileName(const std::string& application) const;
    const QString& folder() const { return folder_; }
    std::string where() const override { return folder_.toStdString(); }

private:
    struct File {
        std::unique_ptr<QSettings> settings;
        /// What was written since the last successful save: QSettings reports a failed save
        /// for good, so a failure is retried with a fresh QSettings and these values.
        std::map<std::pair<QString, QString>, QString> unsaved;
    };

    File& fileOf(const std::string& application);
    void reopen(File& file, const QString& path);
    bool save(File& file, const QString& path);

    QString folder_;
    std::map<std::string, File> files_;
};

} // namespace lctune
