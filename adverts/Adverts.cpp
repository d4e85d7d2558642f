#include "adverts/Adverts.h"

#include <cstring>

Menu_Adverts::Menu_Adverts(bool enabled, bool webHomeAppDefault, const MString& titleText, bool titleBold,
                           bool titleItalic, bool titleUnderlined, bool titleIcon, bool titleNormalHeight,
                           bool titleHasSeparator, const MString& titleUrl, const char* position,
                           int maxDisplayedEntries, bool fixedItemsPositions)
    : Enabled(enabled), Web_Home_App_Default(webHomeAppDefault), Title_Text(titleText), Title_Bold(titleBold),
      Title_Italic(titleItalic), Title_Underlined(titleUnderlined), Title_Icon(titleIcon),
      Title_Normal_Height(titleNormalHeight), Title_Has_Separator(titleHasSeparator), Title_URL(titleUrl),
      Position(std::strcmp(position, "top") == 0   ? MenuAdvertsTop
               : std::strcmp(position, "mid") == 0 ? MenuAdvertsMid
                                                   : MenuAdvertsDynamic),
      Max_Displayed_Entries(maxDisplayedEntries), Fixed_Items_Positions(fixedItemsPositions)
{
}

MString Overlay_Adverts::Advert::Key() const
{
    return MString(sX::Format(), L"%s %s", leading_title.GetText(), auxiliary_title.GetText());
}
