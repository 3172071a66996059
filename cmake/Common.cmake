# Settings shared by every target: language level, warnings and strict Qt defines.
add_library(marvono_common INTERFACE)
target_compile_features(marvono_common INTERFACE cxx_std_20)
target_compile_options(marvono_common INTERFACE -Wall -Wextra -Wshadow -Wold-style-cast -Wcast-qual
    -Wnon-virtual-dtor -Woverloaded-virtual $<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond -Wlogical-op>)
# CI builds with every warning an error (test.sh turns it on when CI is set).
option(MARVONO_WERROR "Treat warnings as errors" OFF)
if(MARVONO_WERROR)
    target_compile_options(marvono_common INTERFACE -Werror)
endif()
target_compile_definitions(marvono_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(MARVONO_SANITIZE)
    target_compile_options(marvono_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(marvono_common INTERFACE -fsanitize=address,undefined)
endif()
if(MARVONO_FUZZ)
    target_compile_options(marvono_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(marvono_common INTERFACE -fsanitize=address,undefined)
endif()
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()
