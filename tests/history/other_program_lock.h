#pragma once

#include "../support/wait_until.h"

#include <QProcess>
#include <QString>

namespace tarvex::test {

// Another program holding history.db: a real sqlite3 that takes the write lock, writes a row of
// its own and keeps the transaction open until released. In exclusive locking mode it shuts
// out readers too, as some tools do.
class OtherProgramLock {
public:
    static constexpr const char* kTheirText = "written by the other program";

    OtherProgramLock(const QString& path, bool exclusiveMode) {
        mSqlite.start(QStringLiteral("sqlite3"), {path});
        QByteArray script = exclusiveMode ? "PRAGMA locking_mode=EXCLUSIVE;\n" : "";
        script += "BEGIN EXCLUSIVE;\nINSERT INTO events (time, amplifier, kind, text) VALUES "
                  "('2024-05-01T02:00:00.000Z', 7, 'message', '";
        script += QByteArray(kTheirText) + "');\nSELECT 'held';\n";
        mSqlite.write(script);
        QByteArray said;
        mHeld = waitUntil([&] {
            said += mSqlite.readAllStandardOutput();
            return said.contains("held");
        });
    }
    ~OtherProgramLock() {
        if (mSqlite.state() != QProcess::NotRunning) {
            mSqlite.kill();
            mSqlite.waitForFinished(5000);
        }
    }

    bool held() const { return mHeld; }
    // Commits and ends, which lets the file go.
    bool release() {
        mSqlite.write("COMMIT;\n");
        mSqlite.closeWriteChannel();
        return mSqlite.waitForFinished(5000) && mSqlite.exitCode() == 0;
    }

private:
    QProcess mSqlite;
    bool mHeld = false;
};

} // namespace tarvex::test
