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

# page: the feed page bytes of an item cache (windows-1251, no line break at
# the end). The date line shows the zero date unless --updated gives its text.
kivo_cli_test(NAME page_default_zero_date_horlines RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/page_feed.page
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss)
kivo_cli_test(NAME page_font_no_horlines_updated_text_as_is RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/page_feed_options.page
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss --font 3 --no-horlines
       --updated "1/2/2024 10:20:30 AM" --marks ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rd)
kivo_cli_test(NAME page_raw_feed_root_is_one_theme RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/sample_feed.page
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml)
kivo_cli_test(NAME page_unparsable_cache_gives_frame_only RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/page_unparsable.page
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rd)
kivo_cli_test(NAME page_without_file RC 2 ARGS page)
kivo_cli_test(NAME page_unreadable_cache RC 2 ARGS page ${CMAKE_CURRENT_BINARY_DIR}/no-such-file.rss)
kivo_cli_test(NAME page_unreadable_marks RC 2
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss --marks ${CMAKE_CURRENT_BINARY_DIR}/no-such-file.rd)
kivo_cli_test(NAME page_font_not_a_number RC 2 ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss --font 2x)
kivo_cli_test(NAME page_option_without_value RC 2 ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss --updated)
kivo_cli_test(NAME page_unknown_option RC 2 ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss --bogus)
kivo_cli_test(NAME page_two_cache_files RC 2
  ARGS page ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss ${CMAKE_SOURCE_DIR}/tests/data/page_feed.rss)

# convert writes the item cache bytes a load would save: windows-1251, fields in
# document order, CDATA for markup, nothing at all when no item would be saved.
kivo_cli_test(NAME convert_sample RC 0 STDOUT ${KIVO_CLI_DATA}/expected/sample_feed.convert
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml)
kivo_cli_test(NAME convert_atom_entries_are_items RC 0 STDOUT ${KIVO_CLI_DATA}/expected/atom_feed.convert
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/atom_feed.xml --description summary --pubdate updated)
kivo_cli_test(NAME convert_koi8_mixed_case_crlf_two_categories RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/koi8_mixed_case_crlf.convert
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/koi8_mixed_case_crlf.xml)
kivo_cli_test(NAME convert_description_tag_title_wins RC 0
  STDOUT ${KIVO_CLI_DATA}/expected/koi8_title_as_text.convert
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/koi8_mixed_case_crlf.xml --description title --no-double-tags)
kivo_cli_test(NAME convert_channel_without_items_writes_nothing RC 0 STDOUT ${KIVO_CLI_DATA}/expected/empty.out
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/feed_without_items.xml)
kivo_cli_test(NAME convert_unreadable_file RC 2 ARGS convert ${CMAKE_CURRENT_BINARY_DIR}/no-such-feed.xml)
kivo_cli_test(NAME convert_tag_option_without_value RC 2
  ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml --title)
kivo_cli_test(NAME convert_unknown_option RC 2 ARGS convert ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml --logo)
kivo_cli_test(NAME fetch_without_url RC 2 ARGS fetch)
kivo_cli_test(NAME fetch_bad_proxy RC 2 ARGS fetch http://127.0.0.1:1/ --proxy nocolon)
kivo_cli_test(NAME fetch_refused_reports_failed_download RC 1 STDOUT ${KIVO_CLI_DATA}/expected/fetch_refused.out
  ARGS fetch http://127.0.0.1:1/feed.xml)

# opml import: the feed-list lines to add (windows-1251, as the list holds
# them), then the counts; a list given with --list (CRLF lines) is compared by
# cache name, so a case or port spelling of a listed feed is no new feed.
kivo_cli_test(NAME opml_import_against_crlf_list RC 0 STDOUT ${KIVO_CLI_DATA}/expected/opml_import_sample.out
  ARGS opml import ${CMAKE_SOURCE_DIR}/tests/data/sample_list.opml --list ${CMAKE_SOURCE_DIR}/tests/data/sample_list.txt)
kivo_cli_test(NAME opml_import_refuses_a_feed RC 1 STDOUT_TEXT "refused: not OPML"
  ARGS opml import ${CMAKE_SOURCE_DIR}/tests/data/sample_feed.xml)
kivo_cli_test(NAME opml_import_unreadable_list RC 2
  ARGS opml import ${CMAKE_SOURCE_DIR}/tests/data/sample_list.opml --list ${CMAKE_CURRENT_BINARY_DIR}/no-such-list.txt)
kivo_cli_test(NAME opml_unknown_verb RC 2 ARGS opml merge)
