#pragma once

#include "settings/Settings.h"

#include <QDir>
#include <QTemporaryDir>

// Each test function of a window test works in a folder of its own, which is
// the current folder, with a settings file of its own (none at first).
class CaseFolders
{
public:
    bool isValid() const { return m_root.isValid(); }

    // Starts the next case: its folder, or an empty text when it cannot be made.
    QString next()
    {
        const QString work = m_root.filePath(QStringLiteral("case%1").arg(++m_caseNo));
        if (!QDir().mkpath(work) || !QDir::setCurrent(work))
            return QString();
        Settings::setSettingsFile(m_root.filePath(QStringLiteral("settings%1.ini").arg(m_caseNo)));
        Settings::setLastPath(QString());
        return work;
    }

private:
    QTemporaryDir m_root;
    int m_caseNo = 0;
};
