#include "ui/dialog/remembered_choice.h"

#include "ui/platform/native_names.h"

#include <QSettings>

namespace tessaron {
namespace {

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tessaron"), QStringLiteral("tessaron"));
}

constexpr char kGroup[] = "newPuzzle";

QByteArray bytesOf(const QString& name) { return QByteArray::fromStdString(nativeFromName(name)); }

std::optional<int> number(const QVariant& value)
{
    bool ok = false;
    const int read = value.toString().toInt(&ok);
    return ok ? std::optional(read) : std::nullopt;
}

// QSettings writes a flag as "true" or "false"; anything else is not one.
std::optional<bool> flag(const QVariant& value)
{
    const QString text = value.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false"))
        return text == QLatin1String("true");
    return std::nullopt;
}

}  // namespace

RememberedChoice RememberedChoice::load()
{
    QSettings kept = settings();
    kept.beginGroup(QLatin1String(kGroup));
    RememberedChoice choice;
    const QByteArray folder = kept.value("folder").toByteArray();
    if (folder.startsWith('/') && !folder.contains('\0'))
        choice.folder = nameFromNative(folder.toStdString());
    // Only a name in that folder: no separator, and no way up or nowhere.
    const QByteArray picture = kept.value("picture").toByteArray();
    if (!picture.isEmpty() && !picture.contains('/') && !picture.contains('\0') && picture != "." && picture != "..")
        choice.picture = nameFromNative(picture.toStdString());
    choice.columns = number(kept.value("columns"));
    choice.rows = number(kept.value("rows"));
    choice.difficult = flag(kept.value("difficult"));
    choice.preview = flag(kept.value("preview"));
    choice.fitToScreen = flag(kept.value("fitToScreen"));
    return choice;
}

void RememberedChoice::save() const
{
    QSettings kept = settings();
    kept.beginGroup(QLatin1String(kGroup));
    kept.setValue("folder", bytesOf(folder));
    kept.setValue("picture", bytesOf(picture));
    const auto put = [&kept](const char* key, const auto& value) {
        if (value)
            kept.setValue(key, *value);
        else
            kept.remove(key);
    };
    put("columns", columns);
    put("rows", rows);
    put("difficult", difficult);
    put("preview", preview);
    put("fitToScreen", fitToScreen);
}

}  // namespace tessaron
