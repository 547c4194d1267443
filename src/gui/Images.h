#pragma once

#include <QIcon>
#include <QString>

// The program's own pictures, asked for by the names the screens use ("f_vcf.png",
// "selected_icon.png"); they are drawn as scalable images under resources/images.
namespace Images {
QIcon named(const QString &name);
}
