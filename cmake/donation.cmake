# The donation cards shown in the program: filled in by whoever distributes
# it, for instance
#   cmake --preset win64-release -DVORNIKA_DONATION_HUMO=9860... -DVORNIKA_DONATION_HOLDER="Ism Familiya"
# The defaults are all zeros and no name: the window then says that this
# build has no cards, so nobody sends money to a made-up number.
set(VORNIKA_DONATION_HUMO "0000000000000000" CACHE STRING "HUMO card number, 16 digits")
set(VORNIKA_DONATION_VISA "0000000000000000" CACHE STRING "VISA card number, 16 digits")
set(VORNIKA_DONATION_UZCARD "0000000000000000" CACHE STRING "UZCARD card number, 16 digits")
set(VORNIKA_DONATION_HOLDER "" CACHE STRING "Card holder's name shown under the cards")

foreach(card HUMO VISA UZCARD)
    if(NOT VORNIKA_DONATION_${card} MATCHES "^[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]$")
        message(FATAL_ERROR "VORNIKA_DONATION_${card} must be 16 digits without spaces, got '${VORNIKA_DONATION_${card}}'")
    endif()
endforeach()
if(VORNIKA_DONATION_HOLDER MATCHES "[\"\\\\]")
    message(FATAL_ERROR "VORNIKA_DONATION_HOLDER must not contain quotes or backslashes")
endif()

configure_file(${CMAKE_SOURCE_DIR}/ui/donation_config.cpp.in ${CMAKE_BINARY_DIR}/generated/donation_config.cpp @ONLY)
