# CryptoAPI: key containers (advapi32), certificates, stores and PKCS #12
# (crypt32); ole32 for the unique key-container names.
target_link_libraries(Tessaro87U PUBLIC crypt32 advapi32 ole32)
