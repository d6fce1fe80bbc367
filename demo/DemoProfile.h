// Demo section: settings written to a profile text file and read back.
#pragma once

void ShowProfile();
