#include "app/serve/PageAssets.h"

namespace lq {

const std::vector<PageAsset>& PageAssets()
{
    static const std::vector<PageAsset> assets = {
        {"/", "text/html; charset=utf-8", PageHtml()},
        {"/page.js", "text/javascript; charset=utf-8", PageScript()},
        {"/panels.js", "text/javascript; charset=utf-8", PagePanelsScript()},
        {"/page.css", "text/css; charset=utf-8", PageStyle()},
    };
    return assets;
}

}  // namespace lq
