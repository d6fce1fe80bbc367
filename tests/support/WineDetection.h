// Tells whether the tests run under Wine, for cases the platform cannot serve there.
#pragma once

namespace TestSupport {

bool RunningUnderWine();

}  // namespace TestSupport
