#include "preparedpicture.h"

#include <cstring>

namespace {
#include "preparedpictures.inc"
} // namespace

QImage preparedPicture(const char *file)
{
    for (const PreparedPicture &picture : preparedPictureTable) {
        if (std::strcmp(picture.file, file) == 0) {
            return QImage(reinterpret_cast<const uchar *>(picture.pixels), picture.width,
                          picture.height, picture.width * int(sizeof(quint32)), picture.format);
        }
    }
    return {};
}
