# Checks that each Windows program carries its icon, version information and manifest, read back
# from the built file with windres.
#   cmake -DRC=windres -DVERSION=x.y.z -DPROGRAMS="a.exe;b.exe" -P resources_test.cmake
set(expected
    "RT_GROUP_ICON"
    "VALUE \"CompanyName\", \"Quenlow\""
    "VALUE \"ProductName\", \"Corvenda\""
    "VALUE \"ProductVersion\", \"${VERSION}\""
    "FILEVERSION ${VERSION_COMMAS}"
    "1 24 /* RT_MANIFEST */"
    "Microsoft.Windows.Common-Controls"
    "level=\"\"asInvoker\"\""
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
    "PerMonitorV2"
    "longPathAware xmlns=\"\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\"\">true<"
    ">UTF-8</activeCodePage>")
foreach(program ${PROGRAMS})
    execute_process(COMMAND ${RC} -J coff -i ${program} -O rc
        OUTPUT_VARIABLE resources RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(SEND_ERROR "${program}: windres could not read its resources")
        continue()
    endif()
    foreach(text ${expected})
        string(FIND "${resources}" "${text}" at)
        if(at EQUAL -1)
            message(SEND_ERROR "${program}: no ${text}")
        endif()
    endforeach()
endforeach()
