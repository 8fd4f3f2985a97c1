#include "ThumbnailTexts.h"

namespace orv::thumb {

const Texts& textsFor(Language language) {
    static const Texts chinese{
        QStringLiteral("打开"),           QStringLiteral("打开所在文件夹"),
        QStringLiteral("删除"),           QStringLiteral("全选"),
        QStringLiteral("全不选"),         QStringLiteral("双击打开"),
        QStringLiteral("暂无拍摄的图像"),
    };
    static const Texts english{
        QStringLiteral("Open"),
        QStringLiteral("Show in folder"),
        QStringLiteral("Remove from list"),
        QStringLiteral("Check all"),
        QStringLiteral("Uncheck all"),
        QStringLiteral("Double-click to open"),
        QStringLiteral("No pictures yet"),
    };
    return language == Language::English ? english : chinese;
}

} // namespace orv::thumb
