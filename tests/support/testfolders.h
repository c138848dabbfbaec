#pragma once

#include <QDir>
#include <QTemporaryDir>

// A private settings folder ("config") and application folder ("app") for a
// test, so the program's settings file and scratch files never touch a user's.
class TestFolders
{
public:
    TestFolders()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("config"));
        QDir(m_dir.path()).mkpath(QStringLiteral("app"));
        qputenv("XDG_CONFIG_HOME", path("config").toLocal8Bit());
        qputenv("JACKETEER_APPDIR", path("app").toLocal8Bit());
    }
    // The folder holding both, or a path below it.
    QString path(const QString &name = {}) const
    {
        return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
    }

private:
    QTemporaryDir m_dir;
};
