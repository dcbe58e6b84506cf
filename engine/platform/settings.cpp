// Settings store over QSettings: backslash keys become nested groups.
#include "platform/settings.h"

#include "platform/qtext.h"
#include "platform/version.h"

#include <QSettings>
#include <QStringList>

namespace platform {

namespace {

// One key part or value name as a QSettings key component: '/' would split it
// into groups, so it is escaped (with '%' as the escape character).
QString keyPart(std::string_view gbk)
{
    QString part = toQString(gbk);
    part.replace(QLatin1Char('%'), QLatin1String("%25"));
    part.replace(QLatin1Char('/'), QLatin1String("%2F"));
    return part;
}

QString groupPath(std::string_view key)
{
    QStringList parts;
    while (!key.empty()) {
        std::size_t sep = key.find('\\');
        std::string_view part = key.substr(0, sep);
        if (!part.empty())
            parts << keyPart(part);
        key.remove_prefix(sep == std::string_view::npos ? key.size() : sep + 1);
    }
    return parts.join(QLatin1Char('/'));
}

QString valuePath(std::string_view key, std::string_view name)
{
    QString group = groupPath(key);
    return group.isEmpty() ? keyPart(name) : group + QLatin1Char('/') + keyPart(name);
}

} // namespace

Settings::Settings(std::unique_ptr<QSettings> store) : store_(std::move(store)) {}
Settings::Settings(Settings&&) noexcept = default;
Settings& Settings::operator=(Settings&&) noexcept = default;
Settings::~Settings() = default;

Settings Settings::userStore()
{
    return Settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                QString::fromLatin1(kProductName)));
}

Settings Settings::iniFile(std::string_view fileName)
{
    return Settings(std::make_unique<QSettings>(toQString(fileName), QSettings::IniFormat));
}

bool Settings::keyExists(std::string_view key) const
{
    QString group = groupPath(key);
    if (group.isEmpty())
        return true;
    // A key exists when it holds values or sub-keys.
    for (const QString& stored : store_->allKeys()) {
        if (stored.startsWith(group + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool Settings::valueExists(std::string_view key, std::string_view name) const
{
    return store_->contains(valuePath(key, name));
}

void Settings::deleteKey(std::string_view key)
{
    store_->remove(groupPath(key));
}

void Settings::deleteValue(std::string_view key, std::string_view name)
{
    store_->remove(valuePath(key, name));
}

std::string Settings::readString(std::string_view key, std::string_view name, std::string_view fallback) const
{
    QVariant value = store_->value(valuePath(key, name));
    if (!value.isValid())
        return std::string(fallback);
    return fromQString(value.toString());
}

int Settings::readInteger(std::string_view key, std::string_view name, int fallback) const
{
    QVariant value = store_->value(valuePath(key, name));
    bool ok = false;
    int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : fallback;
}

bool Settings::readBool(std::string_view key, std::string_view name, bool fallback) const
{
    QVariant value = store_->value(valuePath(key, name));
    if (!value.isValid())
        return fallback;
    QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    int number = text.toInt(&ok);
    return ok ? number != 0 : fallback;
}

void Settings::writeString(std::string_view key, std::string_view name, std::string_view value)
{
    store_->setValue(valuePath(key, name), toQString(value));
}

void Settings::writeInteger(std::string_view key, std::string_view name, int value)
{
    store_->setValue(valuePath(key, name), value);
}

void Settings::writeBool(std::string_view key, std::string_view name, bool value)
{
    store_->setValue(valuePath(key, name), value ? 1 : 0);
}

void Settings::flush()
{
    store_->sync();
}

} // namespace platform
