// zylo-host's exit statuses. A run of several sessions exits with the
// highest status any of them answered.
#ifndef ZYLO_HOST_EXIT_STATUS_H_
#define ZYLO_HOST_EXIT_STATUS_H_

namespace zylo::host {

inline constexpr int kStatusOk = 0;
// A calculation failed inside the host.
inline constexpr int kStatusFailed = 1;
// A usage or syntax error, an unknown function, a script file that cannot be
// read, or a plug-in that fails to load or start.
inline constexpr int kStatusRefused = 2;
// A script step failed while running.
inline constexpr int kStatusStepFailed = 3;

}  // namespace zylo::host

#endif  // ZYLO_HOST_EXIT_STATUS_H_
