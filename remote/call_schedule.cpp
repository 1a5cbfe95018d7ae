#include "remote/call_schedule.h"

namespace {
constexpr int kHoursSearched = 48;
constexpr int kDaysSearched = 14;
constexpr int kSecondsPerHour = 3600;
}  // namespace

QDateTime next_call_time(const DialoutSettings& settings, const QDateTime& now) {
    const QDate today = now.date();
    if (settings.type == DialoutSettings::kHourly) {
        const QDateTime midnight(today, QTime(0, 0), now.timeSpec());
        for (int hour = 1; hour <= kHoursSearched; ++hour) {
            const QDateTime candidate = midnight.addSecs(qint64(hour) * kSecondsPerHour);
            if (candidate > now) return candidate;
        }
        return QDateTime();
    }
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const bool twice = settings.type == DialoutSettings::kTwiceDaily;
    for (int i = 0; i < kDaysSearched; ++i) {
        if (!settings.days[i % 7]) continue;
        const QDate day = monday.addDays(i);
        for (const QTime& time : {settings.time0, settings.time1}) {
            const QDateTime candidate(day, time, now.timeSpec());
            if (time.isValid() && candidate > now) return candidate;
            if (!twice) break;
        }
    }
    return QDateTime();
}
