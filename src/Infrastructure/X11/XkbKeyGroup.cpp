#include "Infrastructure/X11/XkbKeyGroup.h"

namespace vocena {

int xkbKeyGroup(XkbDescPtr xkb, KeyCode key, int group) {
    const int groups = XkbKeyNumGroups(xkb, key);
    if (groups <= 0) return -1;
    if (group < groups) return group;
    const unsigned info = XkbKeyGroupInfo(xkb, key);
    switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange: return groups - 1;
    case XkbRedirectIntoRange: {
        const int redirected = XkbOutOfRangeGroupNumber(info);
        return redirected < groups ? redirected : 0;
    }
    default: return group % groups;
    }
}

}  // namespace vocena
