// Decoding JPEG data through libjpeg: the title picture, and data that is not a picture.
#include "JpegImage.h"
#include "OberflaecheForm.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>

#include <string>

namespace {

QByteArray titlePictureBytes() {
  std::string error;
  LoadTitlePicture(error);  // registers the resources
  QFile file(QStringLiteral(":/tarvane/Titelbild.jpg"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

QImage decode(const QByteArray& bytes, std::string& error) {
  return DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size()), error);
}

TEST(JpegImage, TheTitlePictureDecodes) {
  std::string error;
  const QImage image = LoadTitlePicture(error);
  ASSERT_FALSE(image.isNull()) << error;
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(image.size(), QSize(800, 500));
  // Dark blue at the top, lighter towards the bottom: the pixels really came out of the data.
  const QColor top = image.pixelColor(5, 5), bottom = image.pixelColor(5, 495);
  EXPECT_GT(top.blue(), top.red());
  EXPECT_GT(bottom.blue(), top.blue());
}

TEST(JpegImage, DataThatIsNoPictureIsRefusedWithAReason) {
  const QByteArray picture = titlePictureBytes();
  for (const QByteArray& bytes :
       {QByteArray(), QByteArray("not a picture at all"), QByteArray(1000, '\xff'),
        picture.left(40)}) {
    SCOPED_TRACE(bytes.size());
    std::string error;
    EXPECT_TRUE(decode(bytes, error).isNull());
    EXPECT_FALSE(error.empty());
  }
}

TEST(JpegImage, ATruncatedPictureDecodesAsFarAsItGoes) {
  const QByteArray half = titlePictureBytes().left(titlePictureBytes().size() / 2);
  std::string error;
  const QImage image = decode(half, error);
  ASSERT_FALSE(image.isNull()) << error;
  EXPECT_EQ(image.size(), QSize(800, 500));
}

}  // namespace
