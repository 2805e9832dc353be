#include "platform/carrier_file.h"

#include <QFile>

bool carrier_file_up(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16).trimmed() == "1";
}

std::function<bool()> carrier_file_probe(const QString& path)
{
    return [path] { return carrier_file_up(path); };
}
