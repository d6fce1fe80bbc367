// Demo section: a packet round trip and a list of addresses taken apart.
#pragma once

void ShowPackets();
