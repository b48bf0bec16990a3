target_link_libraries(${name} PRIVATE parlavox_asn1)
