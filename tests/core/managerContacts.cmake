# The controller's contacts, contact requests, groups, own profile, avatars and accounts on other
# networks, against the protocol test server; the avatars are drawn, so under X.
parlavox_add_test(test_manager_contacts LABEL core WX PER_CASE TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/managerContactsTest.cpp
  LIBS parlavox_core parlavox_test_server)
