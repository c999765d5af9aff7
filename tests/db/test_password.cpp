// Salted slow hashes of passwords.
#include "Password.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(SchemaPassword, VerifiesTheRightPasswordOnly) {
    const QString stored = kx::hashPassword(QStringLiteral("s3cret"));
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("s3cret"), stored));
    for (const char* wrong : {"", "s3cre", "s3cret ", "S3CRET", "s3cret\n", "s3cret1"})
        EXPECT_FALSE(kx::verifyPassword(QString::fromLatin1(wrong), stored)) << '"' << wrong << '"';
}

TEST(SchemaPassword, HashesTheSamePasswordDifferentlyEachTime) {
    const QString a = kx::hashPassword(QStringLiteral("1234"));
    const QString b = kx::hashPassword(QStringLiteral("1234"));
    EXPECT_NE(a, b);
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("1234"), a));
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("1234"), b));
    EXPECT_FALSE(a.contains(QStringLiteral("1234")));
}

TEST(SchemaPassword, StoresAFormThatFitsThePasswordColumns) {
    const QString stored = kx::hashPassword(QStringLiteral("管理员密码"));
    const QStringList parts = stored.split(QLatin1Char('$'));
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0], QStringLiteral("pbkdf2"));
    EXPECT_EQ(parts[1].toInt(), kx::passwordIterations());
    EXPECT_GE(kx::passwordIterations(), 10000);
    EXPECT_EQ(parts[2].size(), 32); // 16 bytes of salt
    EXPECT_EQ(parts[3].size(), 64); // SHA-256
    EXPECT_LE(stored.size(), 128);  // the narrowest password column (MemberList.memb_pass)
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("管理员密码"), stored));
}

TEST(SchemaPassword, ReadsTheIterationsFromTheStoredText) {
    const QString quick = kx::hashPassword(QStringLiteral("pw"), 1000);
    EXPECT_TRUE(quick.startsWith(QStringLiteral("pbkdf2$1000$")));
    EXPECT_TRUE(kx::verifyPassword(QStringLiteral("pw"), quick));
    QString tampered = quick;
    tampered.replace(QStringLiteral("$1000$"), QStringLiteral("$1001$"));
    EXPECT_FALSE(kx::verifyPassword(QStringLiteral("pw"), tampered));
}

TEST(SchemaPassword, EmptyStoredValueMatchesOnlyAnEmptyPassword) {
    EXPECT_TRUE(kx::verifyPassword(QString(), QString()));
    EXPECT_FALSE(kx::verifyPassword(QStringLiteral("x"), QString()));
    EXPECT_FALSE(kx::verifyPassword(QString(), kx::hashPassword(QStringLiteral("x"), 1000)));
    EXPECT_TRUE(kx::verifyPassword(QString(), kx::hashPassword(QString(), 1000)));
}

// A stored value that is not one of our hashes never lets anyone in, not even with the
// stored text itself.
TEST(SchemaPassword, MalformedStoredValuesMatchNothing) {
    const QString good = kx::hashPassword(QStringLiteral("pw"), 1000);
    const QStringList parts = good.split(QLatin1Char('$'));
    const QStringList bad = {
        QStringLiteral("pw"),
        QStringLiteral("pbkdf2$1000$%1").arg(parts[2]),
        QStringLiteral("sha1$1000$%1$%2").arg(parts[2], parts[3]),
        QStringLiteral("pbkdf2$x$%1$%2").arg(parts[2], parts[3]),
        QStringLiteral("pbkdf2$0$%1$%2").arg(parts[2], parts[3]),
        QStringLiteral("pbkdf2$-5$%1$%2").arg(parts[2], parts[3]),
        QStringLiteral("pbkdf2$2000000000$%1$%2").arg(parts[2], parts[3]),
        QStringLiteral("pbkdf2$1000$$%1").arg(parts[3]),
        QStringLiteral("pbkdf2$1000$%1$%2").arg(parts[2], parts[3].left(62)),
        QStringLiteral("pbkdf2$1000$%1$%2$").arg(parts[2], parts[3]),
    };
    for (const QString& stored : bad) {
        EXPECT_FALSE(kx::verifyPassword(QStringLiteral("pw"), stored)) << stored.toStdString();
        EXPECT_FALSE(kx::verifyPassword(stored, stored)) << stored.toStdString();
    }
}

} // namespace
