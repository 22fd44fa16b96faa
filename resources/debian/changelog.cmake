# terravue_debian_changelog(<CHANGELOG.md> <maintainer> <output>)
#
# Turns the project's CHANGELOG.md into the Debian changelog its package
# carries (a native package's usr/share/doc/terravue/changelog.gz). Every
# "## VERSION (YYYY-MM-DD)" heading starts an entry, its "- " items become
# "  * " items with their indented continuation lines (nothing else may stand
# in a release), and the entry is signed
# by `maintainer` at 00:00 UTC of its date. Sets, in the caller's scope,
# TERRAVUE_RELEASE_VERSION, TERRAVUE_RELEASE_DATE and TERRAVUE_RELEASE_EPOCH
# of the newest entry.

# Seconds from 1970-01-01 to 00:00 UTC of a proleptic Gregorian date.
function(terravue_date_epoch year month day out)
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
  else()
    math(EXPR month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era
       "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  math(EXPR seconds "${days} * 86400")
  set(${out} ${seconds} PARENT_SCOPE)
endfunction()

# The RFC 5322 date of an epoch, as string(TIMESTAMP) gives it for
# SOURCE_DATE_EPOCH.
function(terravue_rfc_date epoch out)
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  set(${out} "${date}" PARENT_SCOPE)
endfunction()

function(terravue_debian_changelog source maintainer output)
  file(STRINGS "${source}" lines ENCODING UTF-8)
  set(text "")
  set(signature "")
  set(newest_version "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
      set(version "${CMAKE_MATCH_1}")
      set(year "${CMAKE_MATCH_2}")
      set(month "${CMAKE_MATCH_3}")
      set(day "${CMAKE_MATCH_4}")
      set(date_text "${year}-${month}-${day}")
      # Leading zeros would read as octal in math().
      string(REGEX REPLACE "^0" "" month "${month}")
      string(REGEX REPLACE "^0" "" day "${day}")
      terravue_date_epoch(${year} ${month} ${day} epoch)
      terravue_rfc_date(${epoch} rfc_date)
      string(APPEND text "${signature}${PROJECT_NAME} (${version}) unstable; urgency=medium\n\n")
      set(signature "\n -- ${maintainer}  ${rfc_date}\n\n")
      if(newest_version STREQUAL "")
        set(newest_version "${version}")
        set(newest_date "${date_text}")
        set(newest_epoch "${epoch}")
      endif()
    elseif(line MATCHES "^## ")
      message(FATAL_ERROR "${source}: a release heading is \"## VERSION (YYYY-MM-DD)\": ${line}")
    elseif(NOT signature STREQUAL "" AND line MATCHES "^- (.*)$")
      string(APPEND text "  * ${CMAKE_MATCH_1}\n")
    elseif(NOT signature STREQUAL "" AND line MATCHES "^  (.*)$")
      string(APPEND text "    ${CMAKE_MATCH_1}\n")
    elseif(NOT signature STREQUAL "" AND NOT line STREQUAL "")
      message(FATAL_ERROR "${source}: a release holds \"- \" items only: ${line}")
    endif()
  endforeach()
  if(newest_version STREQUAL "")
    message(FATAL_ERROR "${source} has no release")
  endif()
  string(APPEND text "${signature}")
  string(REGEX REPLACE "\n\n$" "\n" text "${text}")
  file(WRITE "${output}" "${text}")
  set(TERRAVUE_RELEASE_VERSION "${newest_version}" PARENT_SCOPE)
  set(TERRAVUE_RELEASE_DATE "${newest_date}" PARENT_SCOPE)
  set(TERRAVUE_RELEASE_EPOCH "${newest_epoch}" PARENT_SCOPE)
endfunction()
