#pragma once
// The cursor names of Debian 12's cursor themes, for machines where they are not installed: the
// files and links under /usr/share/icons/THEME/cursors, one group per drawing (names that are
// links to one file share a group), groups separated by ';'. Copied from the installed packages
// (names only); the test reads the installed themes instead when they are there.
#include <string_view>

struct DebianTheme
{
    std::string_view folder; // under /usr/share/icons
    std::string_view package;
    std::string_view groups;
};

inline constexpr DebianTheme kDebianThemes[] = {
    {"Adwaita", "adwaita-icon-theme 43",
     "X_cursor pirate;all-scroll fleur size_all;"
     "bd_double_arrow c7088f0f3e6c8088236ef8e1e3e70000 nwse-resize size_fdiag;"
     "bottom_left_corner sw-resize;bottom_right_corner se-resize;bottom_side s-resize;"
     "bottom_tee;cell;circle;context-menu;cross cross_reverse crosshair diamond_cross;"
     "03b6e0fcb3499374a867c041f52298f0 crossed_circle not-allowed;dnd-ask;"
     "1081e37283d90000800003c07f3ef6bf 6407b0e94181790501fd1e167b474872 copy dnd-copy;"
     "alias dnd-link;dnd-move;dnd-no-drop no-drop;dnd-none;"
     "dot_box_mask dotbox draped_box icon target;"
     "fcf1c3c7cd4491d801f1e1c78f100000 fd_double_arrow nesw-resize size_bdiag;"
     "grabbing;grab hand1;"
     "9d800788f1b08800ae810202380a0822 e29285e634086352946a0e7090d73106 hand hand2 pointer;"
     "arrow default left_ptr top_left_arrow;"
     "08e8e1c95fe2fc01f976f1e063a24ccd 3ecb610c1bf2410f44200f48c40d3599 left_ptr_watch progress;"
     "left_side w-resize;left_tee;"
     "3085a0e285430894940527032f8b26df 640fb0e74195791501fd1ed57b41487f link;ll_angle;"
     "lr_angle;4498f0e0c1937ffe01fd06f973665830 9081237383d90e509aa00f00170e968f move;"
     "openhand;pencil;plus;pointer-move;"
     "5c6cd98b3f3ebcb1f9c7f1c204630408 d9ce0ab605698f320427677b458ad60b help left_ptr_help "
     "question_arrow;"
     "draft_large draft_small right_ptr;e-resize right_side;right_tee;sb_down_arrow;"
     "028006030e0e7ebffc7f7070c0600140 14fef782d02440884392942c11205230 col-resize ew-resize "
     "h_double_arrow sb_h_double_arrow size_hor;"
     "sb_left_arrow;sb_right_arrow;sb_up_arrow;"
     "00008160000006810000408080010102 2870a09082c103050810ffdffffe0204 double_arrow ns-resize "
     "row-resize sb_v_double_arrow size_ver v_double_arrow;"
     "tcross;nw-resize top_left_corner;ne-resize top_right_corner;n-resize top_side;"
     "top_tee;ul_angle;ur_angle;vertical-text;wait watch;text xterm;zoom-in;zoom-out"},
    {"DMZ-White", "dmz-cursor-theme 0.4.5",
     "X_cursor pirate;bd_double_arrow c7088f0f3e6c8088236ef8e1e3e70000;"
     "bottom_left_corner;bottom_right_corner;bottom_side;bottom_tee;circle;"
     "color-picker;"
     "1081e37283d90000800003c07f3ef6bf 6407b0e94181790501fd1e167b474872 copy;"
     "cross cross_reverse diamond_cross;"
     "03b6e0fcb3499374a867c041f52298f0 crossed_circle;crosshair;dnd-ask;dnd-copy;"
     "dnd-link;dnd-move;dnd-none;dot_box_mask dotbox draped_box icon target;"
     "fcf1c3c7cd4491d801f1e1c78f100000 fd_double_arrow;fleur grabbing;"
     "9d800788f1b08800ae810202380a0822 e29285e634086352946a0e7090d73106 hand hand1 hand2;"
     "arrow left_ptr top_left_arrow;"
     "08e8e1c95fe2fc01f976f1e063a24ccd 3ecb610c1bf2410f44200f48c40d3599 left_ptr_watch;"
     "left_side;left_tee;"
     "3085a0e285430894940527032f8b26df 640fb0e74195791501fd1ed57b41487f link;ll_angle;"
     "lr_angle;4498f0e0c1937ffe01fd06f973665830 9081237383d90e509aa00f00170e968f move;"
     "pencil;plus;"
     "5c6cd98b3f3ebcb1f9c7f1c204630408 d9ce0ab605698f320427677b458ad60b help left_ptr_help "
     "question_arrow;"
     "draft_large draft_small right_ptr;right_side;right_tee;sb_down_arrow;"
     "028006030e0e7ebffc7f7070c0600140 14fef782d02440884392942c11205230 h_double_arrow "
     "sb_h_double_arrow;"
     "sb_left_arrow;sb_right_arrow;sb_up_arrow;"
     "00008160000006810000408080010102 2870a09082c103050810ffdffffe0204 double_arrow "
     "sb_v_double_arrow v_double_arrow;"
     "tcross;top_left_corner;top_right_corner;top_side;top_tee;ul_angle;ur_angle;"
     "watch;xterm"},
    {"breeze_cursors", "breeze-cursor-theme 5.27.5",
     ""
     "3085a0e285430894940527032f8b26df 640fb0e74195791501fd1ed57b41487f "
     "a2a266d0498c3104214a47bd64ab0fc8 alias link;"
     "all-scroll;bottom_left_corner;bottom_right_corner;bottom_side;cell plus;"
     "center_ptr;col-resize split_h;color-picker;context-menu;"
     "1081e37283d90000800003c07f3ef6bf 6407b0e94181790501fd1e167b474872 "
     "b66166c04f8c3109214a4fbd64a50fc8 copy dnd-copy;"
     "cross crosshair tcross;"
     "arrow default left_ptr size-bdiag size-fdiag size-hor size-ver top_left_arrow;"
     "4498f0e0c1937ffe01fd06f973665830 9081237383d90e509aa00f00170e968f closedhand dnd-move "
     "dnd-none fcf21c00b30f7e3f83fe0dfd12e71cff grabbing move;"
     "dnd-no-drop;down-arrow;draft;fleur size_all;"
     "5c6cd98b3f3ebcb1f9c7f1c204630408 d9ce0ab605698f320427677b458ad60b help left_ptr_help "
     "question_arrow whats_this;"
     "left-arrow;left_side;forbidden no-drop;"
     "03b6e0fcb3499374a867c041f52298f0 circle crossed_circle not-allowed;"
     "grab openhand;pencil;pirate;"
     "9d800788f1b08800ae810202380a0822 e29285e634086352946a0e7090d73106 hand1 hand2 pointer "
     "pointing_hand;"
     "00000000000000020006000e7e9ffc3f 08e8e1c95fe2fc01f976f1e063a24ccd "
     "3ecb610c1bf2410f44200f48c40d3599 half-busy left_ptr_watch progress;"
     "right-arrow;right_ptr;right_side;row-resize split_v;"
     "ne-resize nesw-resize size_bdiag sw-resize;"
     "nw-resize nwse-resize se-resize size_fdiag;"
     "e-resize ew-resize h_double_arrow sb_h_double_arrow size_hor w-resize;"
     "00008160000006810000408080010102 n-resize ns-resize s-resize sb_v_double_arrow size_ver "
     "v_double_arrow;"
     "ibeam text xterm;top_left_corner;top_right_corner;top_side;up-arrow;"
     "vertical-text;wait watch;wayland-cursor;x-cursor;zoom-in;zoom-out"},
};
