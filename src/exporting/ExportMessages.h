#pragma once

#include <QString>

namespace ExportMessages {
// The export's result for the user: "1 record exported to file: NAME.EXT" for an answer of 1,
// otherwise "%d records exported to file: NAME.EXT" with the answer.
QString resultMessage(int answer, const QString &name, const QString &extension);
}
