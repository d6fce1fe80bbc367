target_link_libraries(Tessaro87U PUBLIC ws2_32 oleaut32 ole32)
