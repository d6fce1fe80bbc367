# Security descriptors for files (ZFile).
target_link_libraries(Tessaro87U PUBLIC advapi32)
