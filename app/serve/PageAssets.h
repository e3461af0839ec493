// The page's files, built into lqhost from app/serve/page/.
#pragma once
#include <string_view>
#include <vector>

namespace lq {

std::string_view PageHtml();
std::string_view PageScript();
std::string_view PagePanelsScript();
std::string_view PageStyle();

struct PageAsset {
    const char* path;  // where the page asks for it
    const char* type;
    std::string_view content;
};

const std::vector<PageAsset>& PageAssets();

}  // namespace lq
