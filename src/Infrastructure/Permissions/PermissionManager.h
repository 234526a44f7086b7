#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vocena {

enum class PermissionType { microphone, accessibility, speechRecognition };
enum class PermissionStatus { notDetermined, authorized, denied, restricted };

// "麦克风权限", "辅助功能权限", "语音识别权限".
QString rawValue(PermissionType type);
std::optional<PermissionType> permissionTypeFromRawValue(const QString& raw);
QString statusName(PermissionStatus status);

// The platform's answers to the three questions dictation depends on. On Linux:
// microphone = the sound server answers and has an input source; accessibility = the X
// display offers XTest and answers the input-focus query; speech recognition = an installed
// speech model verifies and loads (none installed = not determined, one that fails = denied).
struct PermissionProbes {
    std::function<PermissionStatus()> microphone;
    std::function<bool()> accessibilityTrusted;       // XTest is there
    std::function<bool()> accessibilityRealOperation;  // the focus query succeeds
    std::function<PermissionStatus()> speechRecognition;
    // Shows the help page of a permission (what to install or allow).
    std::function<void(PermissionType)> openHelp;
};

// The last known state of each permission, refreshed on request; nothing polls.
class PermissionManager : public QObject {
    Q_OBJECT
public:
    explicit PermissionManager(PermissionProbes probes, QObject* parent = nullptr);

    const QHash<PermissionType, PermissionStatus>& permissionStatuses() const { return m_statuses; }
    void setStatus(PermissionType type, PermissionStatus status);
    // True when any known entry is not authorized; false before the first check.
    bool isMissingRequiredPermissions() const;

    void checkAllPermissions();
    PermissionStatus checkAccessibilityPermission();
    bool requestMicrophonePermission();
    bool requestSpeechPermission();
    // Nothing to prompt for on X11: when not trusted, the help page opens and false returns.
    bool requestAccessibilityPermission();
    void openSystemPreferences(PermissionType type);

Q_SIGNALS:
    void permissionStatusesChanged();

private:
    PermissionProbes m_probes;
    QHash<PermissionType, PermissionStatus> m_statuses;
};

}  // namespace vocena
