#include "config/site_record.h"

namespace dl {

// The second tip stands twice on purpose: it stays up for two rotation periods.
const SiteRecord kSite = {
    L"完整版 2.1",
    L"Tavoro",
    L"QVEXGame\\Lobby\\Share\\shareid_16",
    {
        L"玩游戏赠送奖品券，奖品券可免费兑换实物奖励。",
        L"每天游戏10分钟，随着等级增长可获得的积分奖励越丰富。",
        L"每天游戏10分钟，随着等级增长可获得的积分奖励越丰富。",
        L"积分不足1000，每天可2次免费补助至1000积分。",
        L"进入休息房，无需游戏每30分钟可获得大量积分。",
    },
    "tqz_lobby_full.install",
};

}  // namespace dl
