// Symbol visibility. Everything is built with -fvisibility=hidden; only the
// framework's entry points and each plug-in's exported entry are visible.
#ifndef FRAME_EXPORT_H_
#define FRAME_EXPORT_H_

#define AGENT_EXPORT __attribute__((visibility("default")))

#endif  // FRAME_EXPORT_H_
