#pragma once

#include <QString>

// The product's name, version and maker as the windows show them.
// Thread: any (constants only).
namespace product_info {

inline QString name() {
    return QStringLiteral("Veld Recorder");
}
inline QString version() {
    return QStringLiteral("1302.005");
}
inline QString maker() {
    return QStringLiteral("Veld Instruments");
}
inline QString maker_site() {
    return QStringLiteral("https://veld.example/");
}

// Shown in the status bar from start-up until the core's first status line.
inline QString status_version_text() {
    return QStringLiteral("%1  Ver. %2  (c) %3").arg(name(), version(), maker());
}

// The about box body (rich text).
inline QString about_text() {
    return QStringLiteral("<b>%1</b><br>Data Recorder Ver %2<br>(c) %3<br><a href=\"%4\">%4</a>")
        .arg(name(), version(), maker(), maker_site());
}

}  // namespace product_info
