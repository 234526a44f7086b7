#pragma once

#include "Infrastructure/Speech/Models/SpeechModelDetector.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vocena::test {

// The tiny transducer of scripts/make-test-transducer.py, made once per test process: speech
// decodes to 你好你好…, or to 泥好泥好… when 泥好 is a hotword.
class TransducerTestModel {
public:
    static const TransducerTestModel& shared() {
        static const TransducerTestModel model;
        return model;
    }

    QString error;  // empty when the model was made
    QString directory() const { return m_dir.filePath(QStringLiteral("transducer")); }
    SpeechModel model() const { return SpeechModelDetector::detect(directory(), SpeechModelType::Transducer, nullptr).value_or(SpeechModel{}); }

private:
    TransducerTestModel() {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(VOCENA_SOURCE_DIR "/scripts/make-test-transducer.py"), directory()});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            error = QString::fromUtf8(process.readAllStandardError()) + process.errorString();
    }

    QTemporaryDir m_dir;
};

}  // namespace vocena::test
