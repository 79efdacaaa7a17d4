#include <gtest/gtest.h>

#include <QUrlQuery>

#include "device/CommandCatalogue.h"
#include "device/QueryText.h"

namespace {

// Decodes a form body the way a web server does, so a test sees the fields the portal gets.
QList<QPair<QString, QString>> FormFields(const QString& body) {
    QString text = body;
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n\r\n")));
    text.chop(4);
    QUrlQuery query;
    query.setQuery(text);
    return query.queryItems(QUrl::FullyDecoded);
}

}  // namespace

TEST(CommandPath, FixedRequestsOfTheRecorder) {
    CommandParams p;
    p.storageId = 0;
    p.partition = 2;
    p.fileSystem = 1;
    p.avdevid = 7;
    EXPECT_EQ(CommandPath(CMD_FORMAT_DISK, p),
              "/config/storageformat?storageid=0&partition=2&fs=1");
    EXPECT_EQ(CommandPath(CMD_FORMAT_POLL, p), "/config/storageformatpoll");
    EXPECT_EQ(CommandPath(CMD_DELETE_CAMERA, p), "/config/delavdev?avdevid=7");
    EXPECT_EQ(CommandPath(CMD_SET_NUBRA_REG_STATUS, p), "/config/nubraregstatus?status=1");
    EXPECT_EQ(CommandPath(CMD_GET_NUBRA_PORTAL, p), "/config/nubraportal");
    EXPECT_EQ(CommandPath(CMD_NUBRA_DISCOVERY, p), "/config/nubradiscovery");
    EXPECT_EQ(CommandPath(CMD_CHANGE_CAMERA_PASSWORD, p), QString());
    EXPECT_EQ(CommandPath(4242, p), QString());
}

TEST(CommandPath, AddCameraSendsCredentialsAsStandardBase64) {
    CommandParams p;
    p.avdevid = 3;
    p.avdevname = "OC-420";
    p.hostname = "10.77.0.22";
    p.hostid = "00:1c:2a:c4:10:22";
    p.protocoltype = 1;
    p.account = "admin";
    p.pass = "\x3f\x3f>";  // "Pz8+": a "+" in the Base64
    p.brand = "Orbis";
    p.product = "OC-420";
    EXPECT_EQ(CommandPath(CMD_ADD_CAMERA, p),
              "/config/addavdev?avdevid=3&avdevname=OC-420&hostname=10.77.0.22"
              "&hostid=00:1c:2a:c4:10:22&protocol=1&protocoltype=1&account=YWRtaW4="
              "&pass=Pz8+&brand=Orbis&product=OC-420");
    p.pass = "a?";  // "YT8=": padding stays raw
    EXPECT_TRUE(CommandPath(CMD_ADD_CAMERA, p).contains("&pass=YT8=&"));
}

TEST(CommandPath, ValuesAreFilledInOnePass) {
    // A name that looks like a placeholder is sent as it is, and never swallows the next value.
    CommandParams p;
    p.avdevname = "{}%1%2";
    p.hostname = "10.0.0.1";
    p.brand = "B";
    p.product = "P";
    const QString path = CommandPath(CMD_ADD_CAMERA, p);
    EXPECT_TRUE(path.contains("&avdevname={}%251%252&hostname=10.0.0.1&")) << path.toStdString();
    EXPECT_TRUE(path.endsWith("&brand=B&product=P"));
}

TEST(CommandPath, ACamerasTextsCanNeitherEndTheirFieldNorAddOne) {
    // What a hostile camera reports is passed on as one value each; the recorder decodes it back.
    CommandParams p;
    p.avdevname = "OC&pass=x";
    p.hostname = "10.0.0.1";
    p.brand = "Orbis#frag";
    p.product = "50% +1 \xE2\x80\xAE\n";
    p.camHost = "10.0.0.1&account=eA==";
    p.camBrand = p.brand;
    p.camProtocol = "cgi?x=1";
    p.camProduct = QString::fromUtf8("Mod\u00e8le\r\nX-Injected: 1");
    EXPECT_EQ(CommandPath(CMD_ADD_CAMERA, p),
              "/config/addavdev?avdevid=0&avdevname=OC%26pass=x&hostname=10.0.0.1&hostid="
              "&protocol=1&protocoltype=0&account=&pass=&brand=Orbis%23frag"
              "&product=50%25%20%2B1%20%E2%80%AE%0A");
    EXPECT_EQ(CommandPath(CMD_DETECT_CAMERA, p),
              "/config/avdevdetect?hostname=10.0.0.1%26account=eA==&account=&pass="
              "&brand=Orbis%23frag&protocol=cgi?x=1&product=Mod%C3%A8le%0D%0AX-Injected:%201");
}

TEST(CommandPath, FreeTextOfTheAccountIsEscaped) {
    CommandParams p;
    p.email = "a+b&c@example.com";
    p.password = "50% #off";
    EXPECT_EQ(CommandPath(CMD_SET_NUBRA_REG_INFO, p),
              "/config/nubrareginfo?email=a%2Bb%26c@example.com&password=50%25%20%23off&status=1");
    p.newAdminPassword = "x&ConfigReboot=Yes";
    EXPECT_EQ(CommandPath(CMD_SET_CAMERA_ADMIN_PASSWORD, p),
              "/system.cgi?AdminID=admin&AdminPassword=x%26ConfigReboot=Yes&ConfigReboot=No");
}

TEST(CommandPath, DetectCamera) {
    CommandParams p;
    p.camHost = "10.77.0.22";
    p.camUser = "admin";
    p.camPassword = "garage22";
    p.camBrand = "Orbis";
    p.camProtocol = "cgi";
    p.camProduct = "OC-420";
    EXPECT_EQ(CommandPath(CMD_DETECT_CAMERA, p),
              "/config/avdevdetect?hostname=10.77.0.22&account=YWRtaW4=&pass=Z2FyYWdlMjI="
              "&brand=Orbis&protocol=cgi&product=OC-420");
}

TEST(PortalRequest, BodiesHeadersAndPaths) {
    CommandParams p;
    p.client = "wizard";
    p.wizardVersion = "ORB-780Z_V 2.03.02";
    p.lang = "en";
    p.email = "installer@example.com";
    p.password = "Portal-2024";
    p.passwordVerify = "Portal-2024";
    p.nameFirst = "Ada";
    p.nameLast = "Byron";
    p.nubraNo = "770041";
    p.dfp = "C0FFEE";

    const PortalRequest up = BuildPortalRequest(CMD_PORTAL_SIGNUP, p, {}, 0);
    EXPECT_EQ(up.path, "/signin");
    EXPECT_EQ(up.headers, "Content-Type: application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(up.body,
              "client=wizard&wizard_version=ORB-780Z_V%202.03.02&lang=en&action=sign-up"
              "&accept=accept&email=installer%40example.com&password=Portal-2024"
              "&password_verify=Portal-2024&name_first=Ada&name_last=Byron&err_count=0\r\n\r\n");

    const PortalRequest in = BuildPortalRequest(CMD_PORTAL_SIGNIN, p, {}, 3);
    EXPECT_EQ(in.path, "/account/?signin");
    EXPECT_EQ(in.headers, "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(in.body,
              "client=wizard&wizard_version=ORB-780Z_V%202.03.02&lang=en"
              "&email=installer%40example.com&password=Portal-2024&err_count=3\r\n\r\n");

    const PortalRequest bind = BuildPortalRequest(CMD_PORTAL_BIND, p, "abc123", 1);
    EXPECT_EQ(bind.path, "/account/?add");
    EXPECT_EQ(bind.headers,
              "Content-Type: application/x-www-form-urlencoded\r\nCookie: nubra=abc123;\r\n");
    EXPECT_EQ(bind.body,
              "client=wizard&wizard_version=ORB-780Z_V%202.03.02&lang=en&nubra_no=770041"
              "&device_password=Portal-2024&dfp=C0FFEE&err_count=1\r\n\r\n");
    EXPECT_EQ(BuildPortalRequest(CMD_PORTAL_BIND, p, {}, 0).headers,
              "Content-Type: application/x-www-form-urlencoded\r\nCookie: nubra=;\r\n");
}

TEST(PortalRequest, FormValuesNeverSplitOrChange) {
    CommandParams p;
    p.email = "a+b&password=evil@example.com";
    p.password = "p=1&q 2+ü";
    const auto fields = FormFields(BuildPortalRequest(CMD_PORTAL_SIGNIN, p, {}, 0).body);
    ASSERT_EQ(fields.size(), 6);
    EXPECT_EQ(fields[3], qMakePair(QString("email"), p.email));
    EXPECT_EQ(fields[4], qMakePair(QString("password"), p.password));
    EXPECT_EQ(fields[5], qMakePair(QString("err_count"), QString("0")));
}

TEST(PortalRequest, CookieFromThePortalCannotAddHeaderLines) {
    CommandParams p;
    const PortalRequest bind = BuildPortalRequest(CMD_PORTAL_BIND, p, "x\r\nX-Evil: 1", 0);
    EXPECT_EQ(bind.headers,
              "Content-Type: application/x-www-form-urlencoded\r\nCookie: nubra=xX-Evil: 1;\r\n");
}

TEST(PortalErrCount, RulesPerCommand) {
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNUP, "SIGNUPERR001", 0), 1);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNUP, "SIGNUPERR003", 1), 2);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNUP, "success", 2), 0);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNUP, "something else", 2), 2);
    // An error code wins over a "success" in the same reply.
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNUP, "SIGNUPERR002 success", 2), 3);

    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNIN, "SIGNINERR001", 4), 4);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNIN, "SIGNINERR002", 4), 5);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNIN, "success", 4), 0);

    EXPECT_EQ(NextErrCount(CMD_PORTAL_BIND, "BINDERR", 0), 1);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_BIND, "success", 1), 0);
    EXPECT_EQ(NextErrCount(CMD_PORTAL_BIND, "SIGNINERR002", 1), 1);

    EXPECT_EQ(NextErrCount(CMD_PORTAL_SIGNIN, "SIGNINERR002", INT32_MAX), INT32_MAX);
}

TEST(CommandPath, AHashInACameraTextIsSentNotCutOff) {
    // Unescaped, "#" would end the target: the recorder would see neither the rest of the
    // value nor the fields after it.
    CommandParams p;
    p.camHost = "10.77.0.22";
    p.camUser = "admin";
    p.camPassword = "pw";
    p.camBrand = "Acme #1";
    p.camProtocol = "cgi";
    p.camProduct = "OC#420";
    const QString detect = CommandPath(CMD_DETECT_CAMERA, p);
    EXPECT_FALSE(detect.contains('#')) << detect.toStdString();
    EXPECT_TRUE(detect.endsWith("&brand=Acme%20%231&protocol=cgi&product=OC%23420"))
        << detect.toStdString();
    EXPECT_TRUE(WireTarget(detect).endsWith("&brand=Acme%20%231&protocol=cgi&product=OC%23420"));

    p.avdevname = "Yard #2";
    p.hostname = "10.77.0.22";
    p.hostid = "00:11:22:33:44:55";
    p.brand = "Acme #1";
    p.product = "OC#420";
    const QString add = CommandPath(CMD_ADD_CAMERA, p);
    EXPECT_TRUE(add.contains("&avdevname=Yard%20%232&hostname=10.77.0.22&")) << add.toStdString();
    EXPECT_TRUE(add.endsWith("&brand=Acme%20%231&product=OC%23420")) << add.toStdString();
}

TEST(CommandReplies, TextStopsAtTheFirstNulAndTheBuffersEnd) {
    const char body[] = {'s', 't', '=', '1', '\0', 'x', 'y'};
    EXPECT_EQ(ReplyText(body, sizeof body), "st=1");
    EXPECT_EQ(ReplyText(body, 2), "st");
    // A size past the buffer reads no further than the buffer.
    const char full[] = {'a', 'b', 'c'};
    EXPECT_EQ(ReplyText(full, 100), "abc");
    EXPECT_EQ(ReplyText(std::span<const char>(), 10), "");
}

TEST(CommandReplies, PortalValuesInTheirOrder) {
    const QStringList values = PortalValuesOf(
        "model=ORB-780Z\r\nstatus=1\r\naccess=0\r\nportal_url=portal.example\r\n"
        "portal_number=N1\r\nportal_dfp=d=f\r\nlocalhyperlink=http://10.0.0.2/\r\nstatus=9\r\n");
    EXPECT_EQ(values, QStringList({"1", "0", "portal.example", "N1", "d=f", "ORB-780Z",
                                   "http://10.0.0.2/"}));
    EXPECT_EQ(PortalValuesOf(""), QStringList(7, QString()));
    EXPECT_EQ(JoinPortalValues(values), "1&0&portal.example&N1&d=f&ORB-780Z&http://10.0.0.2/");
    EXPECT_EQ(JoinPortalValues({"1", "2"}), "1&2&&&&&");
    EXPECT_EQ(JoinPortalValues({"1", "2", "3", "4", "5", "6", "7", "8"}), "1&2&3&4&5&6&7");
}

TEST(CommandReplies, DiscoveryListKeepsTheFirst256Lines) {
    QString body;
    for (int i = 0; i < 300; ++i) {
        body += QStringLiteral("0;10.0.0.%1\r\n\r\n").arg(i);
    }
    const QStringList list = DiscoveryListOf(body);
    ASSERT_EQ(list.size(), 256);
    EXPECT_EQ(list.front(), "0;10.0.0.0");
    EXPECT_EQ(list.back(), "0;10.0.0.255");
    EXPECT_TRUE(DiscoveryListOf("").isEmpty());
    EXPECT_TRUE(DiscoveryListOf("\r\n\r\n").isEmpty());
}

TEST(CommandReplies, CameraIdFromTheLastLineNamingTheHost) {
    const QString list =
        "avdevid=3;hostname=10.0.0.20\r\n7;10.0.0.201\r\n"
        "avdevid=5;hostname=10.0.0.20\r\nnone\r\n";
    EXPECT_EQ(CameraIdOf(list, "10.0.0.20"), "5");
    // Without "=" the whole first field is the id; without ";" the whole line is the field.
    EXPECT_EQ(CameraIdOf(list, "10.0.0.201"), "7");
    EXPECT_EQ(CameraIdOf("id=a=b\r\n", "id"), "a=b");
    EXPECT_EQ(CameraIdOf(list, "10.0.0.99"), "");
}

TEST(CommandReplies, CookieValueOfTheNubraPair) {
    EXPECT_EQ(PortalCookieOf("nubra=8f14e45f; Path=/; HttpOnly"), "8f14e45f");
    EXPECT_EQ(PortalCookieOf("PHPSESSID=1; nubra=a=b; nubra=second"), "a=b");
    // Pairs are cut at "; " only, and keys compare exactly.
    EXPECT_EQ(PortalCookieOf("x=1;nubra=2"), "");
    EXPECT_EQ(PortalCookieOf("Nubra=1; nubra =2"), "");
    // A value kept from before, read again without a new Set-Cookie, is no pair.
    EXPECT_EQ(PortalCookieOf("8f14e45f"), "");
    EXPECT_EQ(PortalCookieOf(""), "");
}
