# xml-roundtrip writes the parsed tree back as raw bytes: CR LF, two-space
# indent, CDATA kept, entities untouched, no line break at the end.
kivo_cli_test(NAME xml_roundtrip_sample RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/sample_feed.roundtrip
  ARGS xml-roundtrip ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml)
kivo_cli_test(NAME xml_roundtrip_unreadable_file RC 2 ARGS xml-roundtrip ${CMAKE_CURRENT_BINARY_DIR}/no-such-file.xml)
kivo_cli_test(NAME xml_roundtrip_without_file RC 2 ARGS xml-roundtrip)

kivo_cli_test(NAME url_root_drops_path_and_query RC 0 STDOUT_TEXT "https://h.com/"
  ARGS url root "https://h.com/a/b?x=1")
kivo_cli_test(NAME url_join_keeps_host_without_slash RC 0 STDOUT_TEXT "http://h.com/x.png"
  ARGS url join http://h.com /x.png)
kivo_cli_test(NAME url_join_climbs_one_step RC 0 STDOUT_TEXT "http://h.com/a/c.png"
  ARGS url join http://h.com/ a/b/../c.png)
kivo_cli_test(NAME url_abs_scheme_after_slash_is_relative RC 0 STDOUT_TEXT "0" ARGS url abs a/b://c)
kivo_cli_test(NAME url_abs_mailto_any_case RC 0 STDOUT_TEXT "1" ARGS url abs MailTo:x@y.z)
kivo_cli_test(NAME url_scheme_of_rooted_path_is_http RC 0 STDOUT_TEXT "http" ARGS url scheme /x)
kivo_cli_test(NAME url_scheme_lower_cased RC 0 STDOUT_TEXT "ftp" ARGS url scheme FTP://h/x)
kivo_cli_test(NAME url_unknown_verb RC 2 ARGS url frob x)
kivo_cli_test(NAME url_missing_argument RC 2 ARGS url join http://h.com)
