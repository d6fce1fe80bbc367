// Demo section: message reports in English and French.
#pragma once

void ShowReports();
