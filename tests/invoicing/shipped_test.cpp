#include "qelv/core/data_files.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The layout's picture size is the size the designer works out from the picture: twips / 56.69 * 100,
// at 15 twips a pixel.
TEST(InvoicePicture, IsShippedIntoThePictureFolderAtTheSizeTheLayoutGives)
{
    QTemporaryDir target;
    QProcess prepare;
    prepare.start(QStringLiteral(QELV_PREPARE), {target.path()});
    ASSERT_TRUE(prepare.waitForFinished(30000));
    ASSERT_EQ(prepare.exitCode(), 0) << prepare.readAllStandardError().toStdString();
    const QImage picture(target.path() + QStringLiteral("/pic/fp.jpg"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 911);
    EXPECT_EQ(picture.height(), 529);
    const QString layout = target.path() + QStringLiteral("/Data/") + QString::fromLatin1(dataFiles::printLayouts);
    EXPECT_DOUBLE_EQ(fixtures::probe(layout, QStringLiteral("SELECT PictureWidth FROM fpPaperSize")).toDouble(),
                     picture.width() * 15 / 56.69 * 100);
    EXPECT_DOUBLE_EQ(fixtures::probe(layout, QStringLiteral("SELECT PictureHeigth FROM fpPaperSize")).toDouble(),
                     picture.height() * 15 / 56.69 * 100);
}

} // namespace
