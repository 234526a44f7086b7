#include "Infrastructure/Platform/LoginItem.h"

#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace vocena {

namespace {
const Logger logger("AppDelegate");

QString failed(const QString& reason) {
    logger.error(QStringLiteral("登录项设置失败: %1").arg(reason));
    return reason;
}
}  // namespace

LoginItem::LoginItem() : LoginItem(defaultEntryPath(), QCoreApplication::applicationFilePath()) {}

LoginItem::LoginItem(QString entryPath, QString executablePath)
    : m_entryPath(std::move(entryPath)), m_executablePath(std::move(executablePath)) {}

QString LoginItem::defaultEntryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/vocena.desktop");
}

bool LoginItem::isRegistered() const { return QFileInfo(m_entryPath).isFile(); }

QString LoginItem::update(bool enabled) { return enabled ? registerItem() : unregisterItem(); }

bool LoginItem::foreignEntryPresent() const {
    const QFileInfo info(m_entryPath);
    return (info.exists() || info.isSymLink()) && !entryIsOwn();
}

QString LoginItem::registerItem() {
    // The user's own entry of that name starts what they chose: it is not overwritten, and
    // the option is not reported as done.
    if (foreignEntryPresent()) return failed(QStringLiteral("已有同名的自动启动项 %1，未覆盖").arg(m_entryPath));
    const QString error = writeEntry();
    if (!error.isEmpty()) return failed(error);
    logger.info(QStringLiteral("已注册登录自动启动"));
    return {};
}

QString LoginItem::unregisterItem() {
    if (foreignEntryPresent()) {
        logger.info(QStringLiteral("自动启动项 %1 不是澄言写入的，保留不变").arg(m_entryPath));
        return {};
    }
    const QString error = removeEntry();
    if (!error.isEmpty()) return failed(error);
    logger.info(QStringLiteral("已取消登录自动启动"));
    return {};
}

bool LoginItem::entryIsOwn() const {
    QFile file(m_entryPath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray content = file.readAll();
    if (content.split('\n').contains(QByteArray(kOwnMark))) return true;
    QByteArray unmarked = desktopEntry(m_executablePath);
    unmarked.replace(QByteArray(kOwnMark) + '\n', QByteArray());
    return content == unmarked;
}

QString LoginItem::writeEntry() {
    if (m_executablePath.isEmpty() || !QFileInfo(m_executablePath).isAbsolute())
        return QStringLiteral("找不到程序的路径");
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("无法创建文件夹 %1").arg(folder);
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("无法写入 %1: %2").arg(m_entryPath, file.errorString());
    file.write(desktopEntry(m_executablePath));
    if (!file.commit()) return QStringLiteral("无法写入 %1: %2").arg(m_entryPath, file.errorString());
    return {};
}

QString LoginItem::removeEntry() {
    const QFileInfo info(m_entryPath);
    if (!info.exists() && !info.isSymLink()) return {};
    QFile file(m_entryPath);
    if (!file.remove()) return QStringLiteral("无法删除 %1: %2").arg(m_entryPath, file.errorString());
    return {};
}

QByteArray LoginItem::desktopEntry(const QString& executable) {
    const QString text = QStringLiteral(
                             "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=澄言\n"
                             "Comment=普通话语音输入\n"
                             "Exec=%1\n"
                             "Icon=vocena\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n"
                             "%2\n")
                             .arg(execArgument(executable), QLatin1String(kOwnMark));
    return text.toUtf8();
}

QString LoginItem::execArgument(const QString& argument) {
    // Reserved characters force quoting; inside quotes ", `, $ and \ take a backslash. The
    // value is then escaped once more as a desktop-entry string (\ → \\), and a literal %
    // is written %% so it is not read as a field code.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    QString out;
    for (const QChar c : argument) {
        if (c == QLatin1Char('%')) {
            out += QStringLiteral("%%");
            continue;
        }
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
    }
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

}  // namespace vocena
