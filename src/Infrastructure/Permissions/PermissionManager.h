#pragma once

#include <QCoro/QCoroTask>
#include <QHash>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace vocena {

enum class PermissionType { microphone, accessibility, speechRecognition };
enum class PermissionStatus { notDetermined, authorized, denied, restricted };

// "麦克风权限", "辅助功能权限", "语音识别权限".
QString rawValue(PermissionType type);
std::optional<PermissionType> permissionTypeFromRawValue(const QString& raw);
QString statusName(PermissionStatus status);

// What a probe found: the status and a short explanation (the device or model in use when
// authorized, the reason otherwise).
struct PermissionCheck {
    PermissionStatus status = PermissionStatus::notDetermined;
    QString detail = {};
};

// The accessibility probe's answers: whether the system lets us type at all, and whether a
// real read (the input focus) works.
struct AccessibilityCheck {
    bool trusted = false;
    bool realOperationWorks = false;
    QString detail = {};
};

// The platform's answers to the three questions dictation depends on. On Linux:
// microphone = the sound server answers and has an input source; accessibility = some way of
// typing reaches the focused window: the fcitx5 bridge answers, or the X display offers XTest
// and answers a read of the focused window; speech recognition = an
// installed speech model verifies and loads (none installed = not determined, one that fails
// = denied).
struct PermissionProbes {
    // Blocking system calls: each runs on a thread of its own, bounded by the manager's time-out.
    std::function<PermissionCheck()> microphone;
    std::function<AccessibilityCheck()> accessibility;
    // The other way of typing, through the input method: asynchronous on the main thread and
    // bounded by its own time-outs. Accessibility is authorized when either way works.
    std::function<QCoro::Task<AccessibilityCheck>()> inputMethod;
    // Runs on the main thread (the speech engine belongs to it).
    std::function<PermissionCheck()> speechRecognition;
    // Shows the help page of a permission (what to install or allow).
    std::function<void(PermissionType)> openHelp;
    // Whether the running app can use a way of typing the checks find. The app chooses its
    // way at start: one that appeared later (fcitx5 installed, a compositor started) counts as
    // not granted yet, with a note that a restart is needed. Empty: it can.
    std::function<bool()> typingInUse = {};
};

// The last known state of each permission, refreshed on request; nothing polls. Main thread.
class PermissionManager : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultProbeTimeout{5000};
    // The accessibility detail when typing became possible only after the app chose its way.
    static constexpr const char* kRestartToType = "已找到输入文字的方式，重启澄言后生效（托盘菜单「退出」后重新打开）";

    explicit PermissionManager(PermissionProbes probes, QObject* parent = nullptr,
                               std::chrono::milliseconds probeTimeout = kDefaultProbeTimeout);

    const QHash<PermissionType, PermissionStatus>& permissionStatuses() const { return m_statuses; }
    void setStatus(PermissionType type, PermissionStatus status, const QString& detail = {});
    // What the last check of `type` found (see PermissionCheck::detail).
    QString detail(PermissionType type) const { return m_details.value(type); }
    // True when any known entry is not authorized; false before the first check.
    bool isMissingRequiredPermissions() const;

    // The microphone and accessibility probes run at the same time, off the main thread; the
    // entries change one by one in the order microphone, accessibility, speech recognition.
    QCoro::Task<> checkAllPermissions();
    // Authorized or denied, never anything else.
    QCoro::Task<PermissionStatus> checkAccessibilityPermission();
    QCoro::Task<bool> requestMicrophonePermission();
    QCoro::Task<bool> requestSpeechPermission();
    // Runs the speech recognition check alone (after a model was installed) and records it.
    PermissionStatus checkSpeechRecognitionPermission();
    // Nothing to prompt for on X11: when not trusted, the help page opens and false returns.
    QCoro::Task<bool> requestAccessibilityPermission();
    void openSystemPreferences(PermissionType type);

Q_SIGNALS:
    void permissionStatusesChanged();

private:
    QCoro::Task<PermissionCheck> probeMicrophone();
    // The X11 probe and the input method's; authorized when either way of typing works.
    QCoro::Task<PermissionCheck> probeAccessibility();
    QCoro::Task<PermissionCheck> probeDisplayAccessibility();
    PermissionCheck probeSpeechRecognition();

    PermissionProbes m_probes;
    std::chrono::milliseconds m_probeTimeout;
    QHash<PermissionType, PermissionStatus> m_statuses;
    QHash<PermissionType, QString> m_details;
};

}  // namespace vocena
