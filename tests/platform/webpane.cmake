# The real browser pane against a local HTTP server, with the real web engine (offscreen).
# Not part of the sanitizer build: the engine is not built for it.
if(NOT QM_SANITIZE)
    find_package(GTest REQUIRED)
    add_executable(test_webpane
        ${CMAKE_CURRENT_LIST_DIR}/test_webpane.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_webpane_browser.cpp
        ${CMAKE_CURRENT_LIST_DIR}/test_webpane_keys.cpp)
    target_include_directories(test_webpane PRIVATE ${HTTPLIB_INCLUDE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(test_webpane PRIVATE QM_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
    # Debian's httplib.h only declares; the code is in libcpp-httplib.
    # qm_portal brings the library and the build options its header must see.
    target_link_libraries(test_webpane PRIVATE qm_webpane qm_app qm_portal GTest::gtest Qt6::Test
                          Threads::Threads)
    qm_warnings(test_webpane)
    add_test(NAME test_webpane COMMAND test_webpane)
    set_tests_properties(test_webpane PROPERTIES
        LABELS webengine
        ENVIRONMENT QT_QPA_PLATFORM=offscreen
        TIMEOUT 300)
endif()
