#include "platform/carrier_file.h"

#include <QFile>

std::function<bool()> carrier_file_probe(const QString& path)
{
    return [path] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        return file.read(16).trimmed() == "1";
    };
}
