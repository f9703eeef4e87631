// A null sink of the test's own on the desktop's sound server, for a test that suspends,
// unloads or listens to a sink: the shared one (the default sink that every other test
// plays into and listens to) is never touched. While the object lives, PULSE_SINK names
// the sink, so the sound streams that this process opens from then on (with no device
// named) play into it; the sink and the old PULSE_SINK go with the object.
#pragma once

#include "RunTool.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

class PrivateSink {
public:
    PrivateSink() {
        static int made = 0;
        m_name = QStringLiteral("calvorine_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
        const runtool::Result loaded = runtool::run(
            QStringLiteral("pactl"),
            {QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + m_name},
            10000);
        m_module = loaded.exitCode == 0 ? QString::fromLatin1(loaded.out.trimmed()) : QString();
        m_hadSink = qEnvironmentVariableIsSet("PULSE_SINK");
        m_oldSink = qgetenv("PULSE_SINK");
        if (!m_module.isEmpty()) {
            qputenv("PULSE_SINK", m_name.toLatin1());
        }
    }

    ~PrivateSink() {
        unload();
        if (m_hadSink) {
            qputenv("PULSE_SINK", m_oldSink);
        } else {
            qunsetenv("PULSE_SINK");
        }
    }

    PrivateSink(const PrivateSink&) = delete;
    PrivateSink& operator=(const PrivateSink&) = delete;

    bool isValid() const { return !m_module.isEmpty(); }
    QString name() const { return m_name; }
    QString monitor() const { return m_name + QStringLiteral(".monitor"); }

    // The sink stops taking sound (true) or takes it again.
    bool suspend(bool suspended) {
        return isValid() && pactl({QStringLiteral("suspend-sink"), m_name, suspended ? "1" : "0"});
    }

    // The sink goes away, as an unplugged device does; its streams are moved elsewhere or ended.
    bool unload() {
        if (m_module.isEmpty()) {
            return false;
        }
        const bool done = pactl({QStringLiteral("unload-module"), m_module});
        m_module.clear();
        return done;
    }

    // How many sound streams play into the sink.
    int streamCount() const {
        const runtool::Result listed =
            runtool::run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")}, 10000);
        const QString sinkIndex = indexOfSink();
        if (listed.exitCode != 0 || sinkIndex.isEmpty()) {
            return -1;
        }
        int count = 0;
        for (const QByteArray& line : listed.out.split('\n')) {
            count += line.trimmed() == ("Sink: " + sinkIndex).toLatin1() ? 1 : 0;
        }
        return count;
    }

private:
    static bool pactl(const QStringList& arguments) {
        return runtool::run(QStringLiteral("pactl"), arguments, 10000).exitCode == 0;
    }

    QString indexOfSink() const {
        const runtool::Result sinks =
            runtool::run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), "sinks"}, 10000);
        for (const QByteArray& line : sinks.out.split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() > 1 && QString::fromLatin1(fields[1]) == m_name) {
                return QString::fromLatin1(fields[0]);
            }
        }
        return QString();
    }

    QString m_name;
    QString m_module;
    bool m_hadSink = false;
    QByteArray m_oldSink;
};

// The default sink's volume and mute as a test found them, set back when the object goes:
// for a test that drives the whole program, whose system volume slider sets them on the
// shared sink (such a test holds the "audio" lock, as every test that hears sound does).
class DefaultSinkLevelKept {
public:
    DefaultSinkLevelKept() {
        m_sink = QString::fromLatin1(
            runtool::run(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")}, 10000).out.trimmed());
        // "Volume: front-left: 65536 / 100% / 0.00 dB, ...": the raw value of each channel.
        const QByteArray volume =
            runtool::run(QStringLiteral("pactl"), {QStringLiteral("get-sink-volume"), m_sink}, 10000).out;
        for (const QByteArray& part : volume.split(',')) {
            const int colon = part.lastIndexOf(':');
            const QByteArray raw = part.mid(colon + 1).split('/').value(0).trimmed();
            bool ok = false;
            raw.toUInt(&ok);
            if (colon >= 0 && ok) {
                m_volumes << QString::fromLatin1(raw);
            }
        }
        m_muted =
            runtool::run(QStringLiteral("pactl"), {QStringLiteral("get-sink-mute"), m_sink}, 10000).out.contains("yes");
    }

    ~DefaultSinkLevelKept() {
        if (m_sink.isEmpty() || m_volumes.isEmpty()) {
            return;
        }
        runtool::run(QStringLiteral("pactl"), QStringList{QStringLiteral("set-sink-volume"), m_sink} + m_volumes,
                     10000);
        runtool::run(QStringLiteral("pactl"),
                     {QStringLiteral("set-sink-mute"), m_sink, m_muted ? QStringLiteral("1") : QStringLiteral("0")},
                     10000);
    }

    DefaultSinkLevelKept(const DefaultSinkLevelKept&) = delete;
    DefaultSinkLevelKept& operator=(const DefaultSinkLevelKept&) = delete;

    bool isValid() const { return !m_sink.isEmpty() && !m_volumes.isEmpty(); }

private:
    QString m_sink;
    QStringList m_volumes;
    bool m_muted = false;
};
