#pragma once

// ZENTROVA_SIMD as the plug-ins this process loads will read it: a value
// that names no vector path, or one this processor cannot run, is said once
// on standard error with the path that runs instead, and replaced by that
// path, so that the plug-ins run it without saying so again.
void settleSimdSetting();
