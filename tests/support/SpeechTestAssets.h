#pragma once

#include "Infrastructure/Speech/Models/SpeechModelDetector.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace vocena::test {

// What the speech tests run on, made once per test process in a temporary folder: the tiny
// T-One models of scripts/make-test-model.py ("good", "random-bytes", "no-metadata",
// "no-blank"), the tiny punctuation models of scripts/make-test-punctuation-model.py ("good",
// "random-bytes", "no-metadata", "short-vocab"; the good one puts 。 after 好) and an
// espeak-ng recording of Mandarin speech (22.05 kHz, 16-bit); the non-streaming zipformer CTC
// models of scripts/make-test-offline-model.py ("good", "random-bytes", "no-blank"; the good
// one hears speech as 您好… where the streaming one hears 你好…).
class SpeechTestAssets {
public:
    static const SpeechTestAssets& shared() {
        static const SpeechTestAssets assets;
        return assets;
    }

    QString error;  // empty when everything was made
    QString model(const QString& variant) const { return m_dir.filePath(QStringLiteral("models/") + variant); }
    QString punctuationModel(const QString& variant) const { return m_dir.filePath(QStringLiteral("punctuation/") + variant); }
    QString offlineModel(const QString& variant) const { return m_dir.filePath(QStringLiteral("offline/") + variant); }
    // A variant as a T-One model, ready for the engine to load.
    std::optional<SpeechModel> loadable(const QString& variant, QString* error) const {
        return SpeechModelDetector::detect(model(variant), SpeechModelType::ToneCtc, error);
    }
    // A copy of the `variant` model in the folder `target` (made if need be); the folder.
    QString copy(const QString& variant, const QString& target) const { return copyFolder(model(variant), target); }
    // The files of `folder` copied into `target` (made if need be); `target`.
    static QString copyFolder(const QString& folder, const QString& target) {
        QDir().mkpath(target);
        for (const QString& file : QDir(folder).entryList(QDir::Files))
            QFile::copy(folder + QLatin1Char('/') + file, target + QLatin1Char('/') + file);
        return target;
    }
    // The folder packed as <folder>.tar.bz2 beside it; the archive's path.
    static QString archive(const QString& folder) {
        const QFileInfo info(folder);
        const QString archive = info.absoluteFilePath() + QStringLiteral(".tar.bz2");
        const int status = QProcess::execute(QStringLiteral("tar"), {QStringLiteral("-cjf"), archive, QStringLiteral("-C"),
                                                                     info.absolutePath(), info.fileName()});
        return status == 0 ? archive : QString();
    }
    // The good non-streaming model laid out as sherpa-onnx publishes its int8 zipformer CTC
    // models: <name>/ with model.int8.onnx, tokens.txt, bbpe.model, README.md and test_wavs/,
    // packed as <folder>/<name>.tar.bz2; the archive's path.
    QString offlineReleaseArchive(const QString& name, const QString& folder) const {
        const QString release = QDir(folder).filePath(name);
        QDir().mkpath(release + QStringLiteral("/test_wavs"));
        copyFolder(offlineModel(QStringLiteral("good")), release);
        QFile::rename(release + QStringLiteral("/model.onnx"), release + QStringLiteral("/model.int8.onnx"));
        QFile::copy(speechWav(), release + QStringLiteral("/test_wavs/0.wav"));
        for (const QString& extra : {QStringLiteral("/bbpe.model"), QStringLiteral("/README.md")}) QFile::copy(speechWav(), release + extra);
        return archive(release);
    }
    QString speechWav() const { return m_dir.filePath(QStringLiteral("speech.wav")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    SpeechTestAssets() {
        const QString python = QStringLiteral("/usr/bin/python3"), scripts = QStringLiteral(VOCENA_SOURCE_DIR "/scripts/");
        const QList<QStringList> commands{
            {python, scripts + QStringLiteral("make-test-model.py"), m_dir.filePath(QStringLiteral("models"))},
            {python, scripts + QStringLiteral("make-test-punctuation-model.py"), m_dir.filePath(QStringLiteral("punctuation"))},
            {python, scripts + QStringLiteral("make-test-offline-model.py"), m_dir.filePath(QStringLiteral("offline"))},
            {QStringLiteral("espeak-ng"), QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("今天天气很好"), QStringLiteral("-w"), speechWav()},
        };
        for (const QStringList& command : commands) {
            QProcess process;
            process.start(command.first(), command.mid(1));
            if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) continue;
            error = command.first() + QStringLiteral(": ") + QString::fromUtf8(process.readAllStandardError()) + process.errorString();
            return;
        }
    }

    QTemporaryDir m_dir;
};

}  // namespace vocena::test
