#include "ui/dialog/remembered_choice.h"

#include <QFile>
#include <QStandardPaths>

namespace tessaron {

std::filesystem::path rememberedChoiceFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::encodeName(folder + QStringLiteral("/tessaron/tessaron.conf")).toStdString();
}

}  // namespace tessaron
