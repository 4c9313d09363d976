#pragma once
// What the export tests compare with: the picture quil-cli renders for the
// same file, size, anti-aliasing and margins, run as a person runs it.

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#ifdef QUIL_CLI_PATH
// Runs quil-cli render FILE -o OUT with the extra options; true on exit status 0.
inline bool CliRender(const QString& quil, const QString& out, const QStringList& options)
{
    QProcess cli;
    cli.start(QStringLiteral(QUIL_CLI_PATH), QStringList{QStringLiteral("render"), quil, QStringLiteral("-o"), out} + options);
    if (!cli.waitForFinished(120000))
        return false;
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
}
#endif

// The number of pixels whose colours differ (the unused top byte aside);
// -1 when the sizes differ.
inline long long DifferingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    long long differing = 0;
    for (int r = 0; r < x.height(); ++r) {
        const auto* p = reinterpret_cast<const quint32*>(x.constScanLine(r));
        const auto* q = reinterpret_cast<const quint32*>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            differing += (p[c] & 0xffffffu) != (q[c] & 0xffffffu);
    }
    return differing;
}
