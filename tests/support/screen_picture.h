// For the programs that save the suite's windows as pictures, for a look by eye: the screen saved as
// DIR/NAME.png, its path printed.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QTest>
#include <cstdio>
#include <string>

namespace qx::test {

// The screen as it is now.
inline void GrabScreen(const QString& dir, const std::string& name) {
  const QString path = dir + "/" + QString::fromStdString(name) + ".png";
  QGuiApplication::primaryScreen()->grabWindow(0).save(path);
  std::printf("%s\n", path.toUtf8().constData());
}

// The screen once the windows just opened or changed have drawn themselves.
inline void SaveScreen(const QString& dir, const std::string& name) {
  QTest::qWait(300);
  GrabScreen(dir, name);
}

}  // namespace qx::test
