#include "MailTestSupport.h"

#include "CustomerStore.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QThread>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

SmtpSink::SmtpSink(const Options& options)
{
    QStringList args{QStringLiteral(SD_SMTP_SINK), "--dir", m_dir.filePath("mail")};
    if (!options.user.isEmpty())
        args << QStringLiteral("--user") << options.user << QStringLiteral("--password") << options.password;
    if (options.startTls || options.implicitTls) {
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        m_cert = m_dir.filePath(QStringLiteral("cert.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                                                  "-out", m_cert, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                                                  "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            qFatal("openssl: %s", openssl.readAllStandardError().constData());
        args << QStringLiteral("--cert") << m_cert << QStringLiteral("--key") << key;
        if (options.implicitTls)
            args << QStringLiteral("--implicit-tls");
    }
    if (!options.rejectRecipient.isEmpty())
        args << QStringLiteral("--reject-rcpt") << options.rejectRecipient;
    if (options.hang)
        args << QStringLiteral("--hang");
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral(SD_PYTHON), args);
    if (!m_process.waitForStarted(10000))
        qFatal("python3 did not start");
    QDeadlineTimer deadline(20000);
    QByteArray line;
    while (!deadline.hasExpired()) {
        if (m_process.canReadLine()) {
            line = m_process.readLine().trimmed();
            break;
        }
        if (m_process.state() == QProcess::NotRunning)
            break;
        m_process.waitForReadyRead(200);
    }
    if (!line.startsWith("PORT "))
        qFatal("SMTP test server: %s", (line + m_process.readAllStandardError()).constData());
    m_port = line.mid(5).toInt();
}

SmtpSink::~SmtpSink()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

QStringList SmtpSink::messages(int count, int timeoutMs) const
{
    QDir dir(m_dir.filePath(QStringLiteral("mail")));
    QDeadlineTimer deadline(timeoutMs);
    QStringList out;
    forever {
        out.clear();
        for (const QString& f : dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name))
            out << dir.filePath(f);
        if (out.size() >= count || deadline.hasExpired())
            return out;
        QThread::msleep(50);
    }
}

QJsonObject SmtpSink::envelope(const QString& emlPath) const
{
    QString json = emlPath;
    json.replace(QLatin1String(".eml"), QLatin1String(".json"));
    QFile f(json);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QJsonObject decodeMail(const QString& emlPath)
{
    QProcess p;
    p.start(QStringLiteral(SD_PYTHON), {QStringLiteral(SD_DECODE_MAIL), emlPath});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {{QStringLiteral("error"), QString::fromUtf8(p.readAllStandardError())}};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

int closedPort()
{
    // Bound and let go again: nothing listens there afterwards.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof(a);
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool MemoryVault::read(const QString& key, QString* password, QString* error)
{
    if (!present || !entries.contains(key)) {
        *error = QStringLiteral("no entry");
        return false;
    }
    *password = entries.value(key);
    return true;
}

bool MemoryVault::write(const QString& key, const QString& password, QString* error)
{
    if (!present) {
        *error = QStringLiteral("no keyring");
        return false;
    }
    entries.insert(key, password);
    return true;
}

bool MemoryVault::remove(const QString& key, QString* error)
{
    if (!present) {
        *error = QStringLiteral("no keyring");
        return false;
    }
    entries.remove(key);
    return true;
}

MailDraft sampleDraft()
{
    return {QStringLiteral("info@yamada.jp"), QStringLiteral("a@x.jp, b@y.jp"), QStringLiteral("c@z.jp"),
            QStringLiteral("secret@w.jp"), QString::fromUtf8("確認申請書類の件"),
            QString::fromUtf8("お世話になります。\n'引用符' \"も\" そのまま"),
            {QString::fromUtf8("/home/office/図面 1.pdf"), QStringLiteral("/home/office/b.txt")}};
}

qint64 addCustomer(Storage& s, qint64 folder, const QString& surname, const QString& mail, const QString& tel)
{
    CustomerStore store(s);
    const qint64 id = store.create(folder);
    CustomerEntry e;
    e.surname = surname;
    e.givenName = QString::fromUtf8("様");
    e.email = mail;
    e.telephone = tel;
    e.prefecture = QString::fromUtf8("東京都");
    bool found = false;
    if (id <= 0 || !store.apply(id, e, {}, &found) || !found)
        qFatal("customer: %s", qPrintable(store.errorString()));
    return id;
}
