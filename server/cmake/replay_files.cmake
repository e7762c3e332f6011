# The files a replay depends on, sorted so that the fingerprint does not depend on order.
function(replay_files root out)
    file(GLOB_RECURSE found
         ${root}/app/*.cpp ${root}/app/*.h ${root}/display/*.cpp ${root}/display/*.h
         ${root}/hunt/*.cpp ${root}/hunt/*.h ${root}/screens/*.cpp ${root}/screens/*.h
         ${root}/state/*.cpp ${root}/state/*.h ${root}/platform/*.h
         ${root}/platform/common/*.cpp ${root}/platform/common/*.h
         ${root}/platform/headless/*.cpp ${root}/platform/headless/*.h
         ${root}/platform/posix/*.cpp ${root}/platform/posix/*.h ${root}/data/*)
    list(APPEND found ${root}/font.des)
    list(SORT found)
    set(${out} ${found} PARENT_SCOPE)
endfunction()
