// The texts the Trawlix windows show (UTF-8; they become QString at the window edge).
#pragma once

inline constexpr char kTextTitle[] = "트롤릭스";
inline constexpr char kTextSearch[] = "검색";
inline constexpr char kTextStopSearch[] = "검색중지";
inline constexpr char kTextSearching[] = "검색중...";
inline constexpr char kTextBusyAskStop[] = "검색중 입니다. 작업을 중지하시겠습니까?";
inline constexpr char kTextEnterTerm[] = "검색어를 입력하세요";
inline constexpr char kTextIntro[] =
    "내 컴퓨터와 웹 상의 모든 문서를 찾습니다\n검색어를 입력하고 검색 버튼을 클릭하세요";
// Filled with the term (%1) and the number of results (%2).
inline constexpr char kTextSummary[] =
    "[%1]에 대하여 총 %2 건의 검색 결과가 있습니다\n"
    "검색 결과의 항목을 더블클릭하면 파일을 다운로드 받을 수 있습니다";
inline constexpr char kTextColumnName[] = "이름";
inline constexpr char kTextColumnType[] = "유형";
inline constexpr char kTextColumnLocation[] = "위치";
inline constexpr char kTextAboutItem[] = "Trawlix 정보(&A)...";
// The program's name as message boxes carry it.
inline constexpr char kTextProgramName[] = "Trawlix";
// The profile key the framework is given; nothing is ever stored under it.
inline constexpr char kTextProfileKey[] = "로컬 응용 프로그램 마법사에서 생성된 응용 프로그램";
