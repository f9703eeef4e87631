// The conversion job of the history library: a request (ConvertConfig) names the source,
// the output folder and the edit; the job names a free output file, builds the
// conversion parameters, runs one converter and turns its worker's progress reports
// into signals on the object's own (GUI) thread.
//
// Threads: every member runs on the object's thread; the converter's worker only emits
// seedConvertPro, which arrives queued. stopConvert blocks until the worker has ended.
#pragma once

#include "media/VEEditConfig.h"

#include <QObject>
#include <QString>

#include <cstdint>

struct ConvertParam;
class IAVConverter;

// A conversion request. Copies are deep (the parameter record is copied).
struct ConvertConfig {
    ConvertConfig();
    ConvertConfig(const ConvertConfig& other);
    ConvertConfig& operator=(const ConvertConfig& other);
    ~ConvertConfig();

    // Deletes the parameters and empties everything else.
    void clear();

    ConvertParam* param = nullptr; // owned; null when none
    QString outputFolder;          // the output file's folder
    QString sourcePath;
    QString extensionText; // carried along
    QString displayName;   // the source's file name; the output's in job()
    VEEditConfig edit;     // trim range (end 0 = to the end), tags and cover
    QString outputPath;    // filled in by the job
    QString extraText;     // carried along
};

// Progress states of a job: 1 stopped, 2 finished, 3 opening, 5 failed, 6 progress.
enum convertState : int {
    ConvertStopped = 1,
    ConvertFinished = 2,
    ConvertOpening = 3,
    ConvertFailed = 5,
    ConvertProgress = 6
};
Q_DECLARE_METATYPE(convertState)

class RZConverterObject : public QObject {
    Q_OBJECT
public:
    explicit RZConverterObject(QObject* parent = nullptr);
    ~RZConverterObject() override;

    // Replaces the job by a deep copy.
    void setJob(const ConvertConfig& job);
    // A deep copy of the job with the output path (outputPath) and the output file name
    // (displayName) of the last start.
    ConvertConfig job() const;
    // Runs the job. A failure to start, an empty output folder or a trim end before its
    // start end in emitConvertedFinish(false).
    void startConvert();
    // Cancels: the converter stops (its stop report ends in emitConvertedFinish(false))
    // and is released.
    void stopConvert();

    QString outputPath() const { return m_outputPath; }
    QString outputName() const { return m_outputName; }
    bool isRunning() const { return m_running; }
    // Whether the last job was cancelled by stopConvert (a finish(false) then is no error).
    bool cancelled() const { return m_cancelled; }

    // The free output path for a source file name in a folder: "<base>_Trim_NNN.<ext>"
    // with the first unused NNN from 001; a trailing "_Trim_NNN" of the base is cut
    // first. Folder and name are joined by one "/". Empty for an empty folder or name.
    static QString makeTrimOutputName(const QString& folder, const QString& sourceFileName, QString* fileName);

signals:
    void seedConvertPro(uint32_t value, convertState state);
    void emitConvertedStart();
    void emitConvertedFinish(bool ok);
    void emitConvertProgress(uint percent);

public slots:
    void UpdataConverPro(uint32_t value, convertState state);

private:
    static void convertProgressCallback(int value, void* context, int state);
    void releaseConverter();

    ConvertConfig m_job;
    QString m_outputPath;
    QString m_outputName;
    IAVConverter* m_converter = nullptr;
    bool m_running = false;
    bool m_cancelled = false;
};
