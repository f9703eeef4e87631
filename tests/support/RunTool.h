// Runs an outside tool (ffmpeg, ffprobe, xdotool, xprop, the tag checker, ...) to its end:
// the tests judge what our code made with these, never with our own readers.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace runtool {

struct Result {
    int exitCode = -1; // -1: it did not start, did not end in time, or crashed
    QByteArray out;
    QByteArray err;
};

// A tool that has not ended after timeoutMs is killed, and gives nothing.
inline Result run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace runtool
