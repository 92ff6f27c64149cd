<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Aligner</name>
    <message>
        <source>文本与录音的语音不符，句子按停顿划分</source>
        <translation>The text does not match the speech in the recording; sentences follow the pauses</translation>
    </message>
    <message>
        <source>无法启动语音合成（espeak-ng）</source>
        <translation>Cannot start speech synthesis (espeak-ng)</translation>
    </message>
    <message>
        <source>语音合成没有“%1”的声音</source>
        <translation>Speech synthesis has no voice for &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>AnswerFollower</name>
    <message>
        <source>（本句答案已隐藏：提交一句或按 Ctrl+Shift+H 显示）</source>
        <translation>(Hidden until you apply a line or press Ctrl+Shift+H)</translation>
    </message>
</context>
<context>
    <name>AnswerPane</name>
    <message>
        <source>答案文件</source>
        <translation>Answer file</translation>
    </message>
</context>
<context>
    <name>AnswerText</name>
    <message>
        <source>字幕文件“%1”中没有可读的字幕。</source>
        <translation>The subtitle file &quot;%1&quot; holds no cue that can be read.</translation>
    </message>
</context>
<context>
    <name>AudioDecoder</name>
    <message>
        <source>无法读取录音的声音：%1（%2）</source>
        <translation>Cannot read the sound of the recording: %1 (%2)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>无法打开</source>
        <translation>cannot open it</translation>
    </message>
    <message>
        <source>无法识别格式</source>
        <translation>unknown format</translation>
    </message>
    <message>
        <source>没有声音</source>
        <translation>no sound</translation>
    </message>
    <message>
        <source>无法解码</source>
        <translation>cannot decode it</translation>
    </message>
    <message>
        <source>无法转换采样</source>
        <translation>cannot convert the samples</translation>
    </message>
    <message>
        <source>%1 不存在</source>
        <translation>%1 does not exist</translation>
    </message>
    <message>
        <source>%1 不是本程序的解码组件</source>
        <translation>%1 is not this program&apos;s decoder</translation>
    </message>
    <message>
        <source>没有可用的文件</source>
        <translation>no file to load</translation>
    </message>
    <message>
        <source>无法加载解码组件：%1</source>
        <translation>Cannot load the decoder: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>解码组件过旧，无法读取声音</source>
        <translation>The decoder component is too old to read the sound</translation>
    </message>
</context>
<context>
    <name>CueShift</name>
    <message>
        <source>字幕比声音早 %1 秒</source>
        <translation>Subtitles %1 s ahead of the sound</translation>
    </message>
    <message>
        <source>字幕比声音晚 %1 秒</source>
        <translation>Subtitles %1 s behind the sound</translation>
    </message>
    <message>
        <source>%1。要把字幕移到声音上吗？</source>
        <translation>%1. Move them onto the sound?</translation>
    </message>
    <message>
        <source>已把字幕推后 %1 秒，与声音对齐</source>
        <translation>Subtitles moved %1 s later, onto the sound</translation>
    </message>
    <message>
        <source>已把字幕提前 %1 秒，与声音对齐</source>
        <translation>Subtitles moved %1 s earlier, onto the sound</translation>
    </message>
    <message>
        <source>字幕已回到原来的时间</source>
        <translation>Subtitles back at their own times</translation>
    </message>
</context>
<context>
    <name>DictationDocument</name>
    <message>
        <source>系统提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>文件“%1”中有些字节无法按原样读出，保存时您没有编辑过的部分也会被改变。
要先在旁边保留一份原文件（%2）吗？</source>
        <translation>Some bytes in the file &quot;%1&quot; cannot be read as they are; saving will change them, even in parts you have not edited.
Keep a copy of the original file beside it (%2) first?</translation>
    </message>
    <message>
        <source>无法保留原文件“%1”。</source>
        <translation>Cannot keep the original file &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>您当前听写的内容要保存吗？</source>
        <translation>Save your current dictation?</translation>
    </message>
    <message>
        <source>保存时发生错误！</source>
        <translation>An error occurred while saving!</translation>
    </message>
    <message>
        <source>听写文件和答案文件相同，请另存！</source>
        <translation>The dictation file and the answer file are the same file. Please save under another name!</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt</source>
        <translation>Text files (*.txt)|*.txt</translation>
    </message>
    <message>
        <source>听写文件和答案文件名相同，请另存！</source>
        <translation>The dictation file has the same name as the answer file. Please save under another name!</translation>
    </message>
    <message>
        <source>听写文件</source>
        <translation>Dictation file</translation>
    </message>
    <message>
        <source>听写文件“%1”在打开或上次保存后已被改动（也许另一个 Quillmar 也打开了它）。
是：用当前的听写内容替换它
否：保留磁盘上的文件，重新打开它（当前未保存的内容将放弃）
取消：另存为其他文件</source>
        <translation>The dictation file “%1” was changed after it was opened or last saved (perhaps another Quillmar has it open too).
Yes: replace it with the current dictation
No: keep the file on disk and open it again (the current unsaved text is dropped)
Cancel: save under another name</translation>
    </message>
</context>
<context>
    <name>FeedbackSession</name>
    <message>
        <source>已比较 %1 句，平均得分 %2%</source>
        <translation>%1 sentence(s) compared, average score %2%</translation>
    </message>
</context>
<context>
    <name>FeedbackStrip</name>
    <message>
        <source>删除线加方括号：写错的词和应为的词
＿加方括号：漏写的词
删除线加圆括号：多写的词</source>
        <translation>Struck out, then in square brackets: a wrong word and the right one
＿ in square brackets: a missing word
Struck out in round brackets: an extra word</translation>
    </message>
    <message>
        <source>得分 %1%</source>
        <translation>Score %1%</translation>
    </message>
    <message>
        <source>这一行超过 %1 个词，不作比较</source>
        <translation>This line has more than %1 words and is not compared</translation>
    </message>
</context>
<context>
    <name>FileErrorReason</name>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>the disk quota is exceeded</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>no permission to write</translation>
    </message>
    <message>
        <source>磁盘是只读的</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>路径中有一部分不是文件夹</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>同名的文件夹占了这个位置</source>
        <translation>a folder of that name is in its place</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>读写磁盘时出错</source>
        <translation>the disk could not be read or written</translation>
    </message>
    <message>
        <source>原因不明</source>
        <translation>reason unknown</translation>
    </message>
    <message>
        <source>没有读取权限</source>
        <translation>no permission to read</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
</context>
<context>
    <name>FileLabel</name>
    <message>
        <source>未指定</source>
        <translation>none</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Quillmar奎尔玛 帮助</source>
        <translation>Quillmar Help</translation>
    </message>
    <message>
        <source>帮助工具栏</source>
        <translation>Help Toolbar</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>在指南中查找</source>
        <translation>Search the guide</translation>
    </message>
    <message>
        <source>查找下一个</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>查找上一个</source>
        <translation>Find Previous</translation>
    </message>
    <message>
        <source>指南中没有“%1”。</source>
        <translation>&quot;%1&quot; is not in the guide.</translation>
    </message>
</context>
<context>
    <name>LearnerDatabase</name>
    <message>
        <source>学习进度没有保存：无法建立文件夹“%1”</source>
        <translation>Progress is not being kept: the folder “%1” cannot be created</translation>
    </message>
    <message>
        <source>学习进度没有保存：学习记录来自较新版本的 Quillmar</source>
        <translation>Progress is not being kept: the learner records come from a newer version of Quillmar</translation>
    </message>
    <message>
        <source>学习进度没有保存：学习记录已损坏，且无法移开</source>
        <translation>Progress is not being kept: the learner records are damaged and cannot be moved aside</translation>
    </message>
    <message>
        <source>另一个正在运行的 Quillmar 占用着学习记录</source>
        <translation>another running Quillmar holds the learner records</translation>
    </message>
    <message>
        <source>学习记录所在的位置不能写入</source>
        <translation>the place of the learner records cannot be written to</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>学习进度没有保存：%1</source>
        <translation>Progress is not being kept: %1</translation>
    </message>
    <message>
        <source>学习记录已损坏，已移到“%1”，能读出的进度已转入新的学习记录</source>
        <translation>The learner records were damaged; they were moved to “%1”, and the progress that could still be read went into new ones</translation>
    </message>
    <message>
        <source>学习记录无法写入</source>
        <translation>the learner records cannot be written</translation>
    </message>
</context>
<context>
    <name>Lesson</name>
    <message>
        <source>已完成 %1/%2 句</source>
        <translation>%1/%2 sentences done</translation>
    </message>
    <message>
        <source> · 平均 %1%</source>
        <translation> · average %1%</translation>
    </message>
    <message>
        <source>未开始</source>
        <translation>not started</translation>
    </message>
    <message>
        <source>做过</source>
        <translation>attempted</translation>
    </message>
    <message>
        <source>已过关</source>
        <translation>passed</translation>
    </message>
    <message>
        <source>借助提示过关</source>
        <translation>passed with help</translation>
    </message>
</context>
<context>
    <name>LessonController</name>
    <message>
        <source>这段录音的句子都已完成</source>
        <translation>Every sentence of this recording is done</translation>
    </message>
    <message>
        <source>借助提示</source>
        <translation>with help</translation>
    </message>
    <message>
        <source>没有可对照的文字，已记下</source>
        <translation>Nothing to compare with; line kept</translation>
    </message>
    <message>
        <source>这一句没有可对照的文字</source>
        <translation>This sentence has no text to compare with</translation>
    </message>
    <message>
        <source>这一句已经全对了，按回车提交</source>
        <translation>This sentence is all right; press Enter to apply it</translation>
    </message>
    <message>
        <source>提示：下一个词是“%1”</source>
        <translation>Hint: the next word is “%1”</translation>
    </message>
    <message>
        <source>提示：下一个词以“%1”开头</source>
        <translation>Hint: the next word begins with “%1”</translation>
    </message>
    <message>
        <source>本句答案：%1</source>
        <translation>This sentence: %1</translation>
    </message>
    <message>
        <source>这一句没有词的时间</source>
        <translation>This sentence has no word times</translation>
    </message>
</context>
<context>
    <name>LoopRules</name>
    <message>
        <source>  循环开始点: %1 结束点: %2</source>
        <translation>  Loop start: %1 · End: %2</translation>
    </message>
    <message>
        <source>未设定</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>至结尾</source>
        <translation>to the end</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>未知原因</source>
        <translation>unknown reason</translation>
    </message>
    <message>
        <source>缺少函数 %1</source>
        <translation>function %1 is missing</translation>
    </message>
    <message>
        <source>无法加载播放组件 libmpv：%1</source>
        <translation>Cannot load the playback component libmpv: %1</translation>
    </message>
    <message>
        <source>无法创建播放器：数字格式的区域设置必须是“C”，当前是“%1”。</source>
        <translation>Cannot create the player: the locale for number formats must be &quot;C&quot;, but it is &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>无法创建播放器（libmpv）。</source>
        <translation>Cannot create the player (libmpv).</translation>
    </message>
    <message>
        <source>无法设置播放器选项 %1=%2：%3</source>
        <translation>Cannot set the player option %1=%2: %3</translation>
    </message>
    <message>
        <source>无法启动播放器（libmpv）：%1</source>
        <translation>Cannot start the player (libmpv): %1</translation>
    </message>
    <message>
        <source>无法读取该文件</source>
        <translation>the file cannot be read</translation>
    </message>
    <message>
        <source>不是可识别的音频格式</source>
        <translation>not a known audio format</translation>
    </message>
    <message>
        <source>文件中没有可播放的音频</source>
        <translation>the file has no audio to play</translation>
    </message>
    <message>
        <source>无法打开音频输出设备</source>
        <translation>cannot open the audio output device</translation>
    </message>
    <message>
        <source>播放器错误（%1）</source>
        <translation>player error (%1)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是音频文件</source>
        <translation>this is a folder, not an audio file</translation>
    </message>
    <message>
        <source>没有读取该文件的权限</source>
        <translation>no permission to read the file</translation>
    </message>
    <message>
        <source>无法接收播放器的日志：%1</source>
        <translation>Cannot receive the player&apos;s log: %1</translation>
    </message>
    <message>
        <source>无法播放文件“%1”：%2</source>
        <translation>Cannot play the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>正在播放</source>
        <translation>Playing</translation>
    </message>
    <message>
        <source>播放结束</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>正在打开</source>
        <translation>Opening</translation>
    </message>
    <message>
        <source>播放器内部错误：%1</source>
        <translation>Internal player error: %1</translation>
    </message>
    <message>
        <source>播放器内部错误。</source>
        <translation>Internal player error.</translation>
    </message>
    <message>
        <source>这是一个播放列表，不是音频文件</source>
        <translation>this is a playlist, not an audio file</translation>
    </message>
    <message>
        <source>播放器无法暂停：%1</source>
        <translation>The player cannot pause: %1</translation>
    </message>
    <message>
        <source>播放器无法播放：%1</source>
        <translation>The player cannot play: %1</translation>
    </message>
    <message>
        <source>播放器命令失败（%1）：%2</source>
        <translation>Player command failed (%1): %2</translation>
    </message>
    <message>
        <source>播放器无法设置 %1=%2：%3</source>
        <translation>The player cannot set %1=%2: %3</translation>
    </message>
    <message>
        <source>无法跟踪播放器属性 %1：%2</source>
        <translation>Cannot follow the player property %1: %2</translation>
    </message>
    <message>
        <source>无法显示画面：%1</source>
        <translation>Cannot show the picture: %1</translation>
    </message>
</context>
<context>
    <name>PracticePage</name>
    <message>
        <source>逐句听写（Ctrl+L）</source>
        <translation>Sentence by sentence (Ctrl+L)</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>循环到提交为止</source>
        <translation>loop until Enter</translation>
    </message>
    <message>
        <source> 遍</source>
        <translation> times</translation>
    </message>
    <message>
        <source>听写时隐藏答案</source>
        <translation>Hide the answer while dictating</translation>
    </message>
    <message>
        <source>精确循环</source>
        <translation>Exact loop</translation>
    </message>
    <message>
        <source>不后退</source>
        <translation>no rewind</translation>
    </message>
    <message>
        <source>过关分数：</source>
        <translation>Pass mark:</translation>
    </message>
    <message>
        <source>句子最长：</source>
        <translation>Longest sentence:</translation>
    </message>
    <message>
        <source>每句播放次数：</source>
        <translation>Plays per sentence:</translation>
    </message>
    <message>
        <source>暂停时后退：</source>
        <translation>Rewind on pause:</translation>
    </message>
    <message>
        <source>复习（F9）和学习统计（Shift+F9）在“练习”菜单中。</source>
        <translation>Review (F9) and Statistics (Shift+F9) are in the Practice menu.</translation>
    </message>
    <message>
        <source>练习</source>
        <translation>Practice</translation>
    </message>
</context>
<context>
    <name>ProfileFile</name>
    <message>
        <source>无法写入文件“%1”：%2</source>
        <translation>Cannot write to the file “%1”: %2</translation>
    </message>
    <message>
        <source>名称或值中有换行，无法写成一行</source>
        <translation>a name or value holds a line break and cannot be written on one line</translation>
    </message>
    <message>
        <source>无法读出原有内容</source>
        <translation>its present content cannot be read</translation>
    </message>
    <message>
        <source>无法创建文件“%1”：%2</source>
        <translation>Cannot create the file “%1”: %2</translation>
    </message>
</context>
<context>
    <name>ProgressCenter</name>
    <message>
        <source>学习统计</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>学习记录无法打开，没有复习计划。</source>
        <translation>The learner records cannot be opened; there is no review plan.</translation>
    </message>
    <message>
        <source>定位录音“%1”</source>
        <translation>Locate the Recording “%1”</translation>
    </message>
    <message>
        <source>语音文件</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>“%1”不是原来的那段录音（内容不同），没有改动。</source>
        <translation>“%1” is not the same recording (its content differs); nothing was changed.</translation>
    </message>
    <message>
        <source>学习记录无法打开，没有可显示的统计。</source>
        <translation>The learner records cannot be opened; there is no progress to show.</translation>
    </message>
    <message>
        <source>导出听写记录</source>
        <translation>Export Dictation Records</translation>
    </message>
    <message>
        <source>CSV 文件</source>
        <translation>CSV files</translation>
    </message>
    <message>
        <source>正在导出…</source>
        <translation>Exporting…</translation>
    </message>
    <message>
        <source>学习记录无法打开</source>
        <translation>the learner records cannot be opened</translation>
    </message>
    <message>
        <source>无法导出到“%1”：%2</source>
        <translation>Cannot export to “%1”: %2</translation>
    </message>
    <message>
        <source>已导出到“%1”</source>
        <translation>Exported to “%1”</translation>
    </message>
</context>
<context>
    <name>ProgressExport</name>
    <message>
        <source>录音</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>录音路径</source>
        <translation>Recording path</translation>
    </message>
    <message>
        <source>句子开始（秒）</source>
        <translation>Sentence start (s)</translation>
    </message>
    <message>
        <source>句子结束（秒）</source>
        <translation>Sentence end (s)</translation>
    </message>
    <message>
        <source>原文</source>
        <translation>Expected text</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>听写内容</source>
        <translation>Typed line</translation>
    </message>
    <message>
        <source>得分</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>提示次数</source>
        <translation>Hints</translation>
    </message>
    <message>
        <source>显示答案</source>
        <translation>Answer shown</translation>
    </message>
    <message>
        <source>用时（秒）</source>
        <translation>Seconds</translation>
    </message>
    <message>
        <source>通过</source>
        <translation>Passed</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>RecentFiles</name>
    <message>
        <source>空&amp;</source>
        <translation>(Empty)&amp;</translation>
    </message>
    <message>
        <source>清空最近播放列表</source>
        <translation>Clear Recent List</translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>确实要清空最近播放列表吗？</source>
        <translation>Clear the list of recently played files?</translation>
    </message>
    <message>
        <source>最近播放列表中没有第 %1 项</source>
        <translation>The recent files list has no item %1</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>语音文件</source>
        <translation>Recording</translation>
    </message>
</context>
<context>
    <name>RecoveryStore</name>
    <message>
        <source>未命名</source>
        <translation>untitled</translation>
    </message>
    <message>
        <source>无录音</source>
        <translation>no recording</translation>
    </message>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
</context>
<context>
    <name>ReviewSession</name>
    <message>
        <source>复习完成</source>
        <translation>Review finished</translation>
    </message>
    <message>
        <source>在“%1”里找不到要复习的句子，已跳过</source>
        <translation>The sentence to review was not found in “%1”; skipped</translation>
    </message>
    <message>
        <source>复习：本句之后还有 %1 句</source>
        <translation>Review: %1 more sentence(s) after this one</translation>
    </message>
    <message>
        <source>复习：最后一句</source>
        <translation>Review: the last sentence</translation>
    </message>
</context>
<context>
    <name>ReviewWindow</name>
    <message>
        <source>复习</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>录音</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>句子</source>
        <translation>Sentence</translation>
    </message>
    <message>
        <source>上次得分</source>
        <translation>Last score</translation>
    </message>
    <message>
        <source>到期</source>
        <translation>Due</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>开始复习</source>
        <translation>Start Review</translation>
    </message>
    <message>
        <source>定位…</source>
        <translation>Locate…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>正在读取复习计划…</source>
        <translation>Reading the review plan…</translation>
    </message>
    <message>
        <source>%1 – %2 处的句子</source>
        <translation>Sentence at %1 – %2</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>找不到录音</source>
        <translation>recording missing</translation>
    </message>
    <message>
        <source>待复习</source>
        <translation>due</translation>
    </message>
    <message>
        <source>今天没有要复习的句子。</source>
        <translation>No sentences are due for review today.</translation>
    </message>
    <message>
        <source>今天要复习 %1 句，其中 %2 句的录音找不到了：选中后按“定位…”指出它的新位置。</source>
        <translation>%1 sentence(s) due today; the recording of %2 cannot be found: select one and press “Locate…” to point to its new place.</translation>
    </message>
    <message>
        <source>今天要复习 %1 句。</source>
        <translation>%1 sentence(s) due for review today.</translation>
    </message>
</context>
<context>
    <name>SentenceAnalysis</name>
    <message>
        <source>无法读取</source>
        <translation>it cannot be read</translation>
    </message>
    <message>
        <source>格式不对</source>
        <translation>it is not in its format</translation>
    </message>
    <message>
        <source>里面没有字幕</source>
        <translation>it holds no cue</translation>
    </message>
    <message>
        <source>字幕文件“%1”没有用上：%2</source>
        <translation>The subtitle file “%1” was not used: %2</translation>
    </message>
    <message>
        <source>字幕文件按你选的 %1 编码读取</source>
        <translation>The subtitle file was read as %1, as you chose</translation>
    </message>
    <message>
        <source>字幕文件按 %1 编码读取</source>
        <translation>The subtitle file was read as %1</translation>
    </message>
    <message>
        <source>字幕在 %1–%2 秒处损坏，这一段按停顿分句</source>
        <translation>The subtitles are damaged from %1 to %2 s; that stretch is divided at its pauses</translation>
    </message>
</context>
<context>
    <name>SentenceListModel</name>
    <message>
        <source>%1（%2 次）</source>
        <translation>%1 (%2 tries)</translation>
    </message>
    <message>
        <source>句</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>最高分</source>
        <translation>Best</translation>
    </message>
    <message>
        <source>最佳一句</source>
        <translation>Best line</translation>
    </message>
    <message>
        <source>这一句的文字与录音对得不够准，时间可能有偏差</source>
        <translation>This sentence&apos;s text aligned poorly with the recording; its times may be off</translation>
    </message>
</context>
<context>
    <name>SentenceNavigation</name>
    <message>
        <source>第 %1/%2 句</source>
        <translation>Sentence %1/%2</translation>
    </message>
    <message>
        <source>第 %1/… 句</source>
        <translation>Sentence %1/…</translation>
    </message>
</context>
<context>
    <name>SentenceTrack</name>
    <message>
        <source>正在分析录音… %1%</source>
        <translation>Analysing the recording… %1%</translation>
    </message>
    <message>
        <source>字幕中有 %1 句</source>
        <translation>%1 sentence(s) in the subtitles</translation>
    </message>
    <message>
        <source>找到 %1 句</source>
        <translation>%1 sentence(s) found</translation>
    </message>
    <message>
        <source>（%1 条字幕格式有误，已跳过）</source>
        <translation> (%1 malformed subtitle(s) skipped)</translation>
    </message>
    <message>
        <source>（%1 条字幕与前一条同时开始，已合为一句）</source>
        <translation> (%1 cues started with the one before and were joined to it)</translation>
    </message>
    <message>
        <source>（%1 条字幕超出录音或没有时长，已略去）</source>
        <translation> (%1 cues lay past the end of the recording or had no length, and were left out)</translation>
    </message>
    <message>
        <source>字幕轨道中有 %1 句</source>
        <translation>%1 sentences in the subtitle track</translation>
    </message>
    <message>
        <source>已按停顿找句子：%1</source>
        <translation>Sentences found from the pauses: %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>“%1”是一个文件，不是文件夹</source>
        <translation>&quot;%1&quot; is a file, not a folder</translation>
    </message>
    <message>
        <source>没有在“%1”中写入的权限</source>
        <translation>no permission to write in &quot;%1&quot;</translation>
    </message>
    <message>
        <source>原因不明</source>
        <translation>reason unknown</translation>
    </message>
    <message>
        <source>无法创建设置文件夹“%1”：%2</source>
        <translation>Cannot create the settings folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>无法创建文件“%1”：%2</source>
        <translation>Cannot create the file “%1”: %2</translation>
    </message>
</context>
<context>
    <name>StartPage</name>
    <message>
        <source>已完成 %1/%2 句</source>
        <translation>%1/%2 sentences done</translation>
    </message>
    <message>
        <source>已完成 %1 句</source>
        <translation>%1 sentences done</translation>
    </message>
    <message>
        <source>今天</source>
        <translation>today</translation>
    </message>
    <message>
        <source>昨天</source>
        <translation>yesterday</translation>
    </message>
    <message>
        <source>%1 天前</source>
        <translation>%1 days ago</translation>
    </message>
    <message>
        <source>从一段录音开始</source>
        <translation>Start with a recording</translation>
    </message>
    <message>
        <source>打开录音…（%1）</source>
        <translation>Open a recording… (%1)</translation>
    </message>
    <message>
        <source>也可以把录音拖到这个窗口上打开；拖来的字幕文件或文字稿作为答案打开。</source>
        <translation>Or drop a recording onto this window; a subtitle file or a transcript dropped here opens as the answer.</translation>
    </message>
    <message>
        <source>最近的录音</source>
        <translation>Recent recordings</translation>
    </message>
    <message>
        <source>还没有打开过录音。</source>
        <translation>No recording has been opened yet.</translation>
    </message>
    <message>
        <source>今天没有要复习的句子。</source>
        <translation>No sentences are due for review today.</translation>
    </message>
    <message>
        <source>上次练习：%1</source>
        <translation>last practised %1</translation>
    </message>
    <message>
        <source>今天要复习 %1 句（%2）</source>
        <translation>Review %1 sentences due today (%2)</translation>
    </message>
</context>
<context>
    <name>StatsWindow</name>
    <message>
        <source>学习统计</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>时间范围(&amp;R):</source>
        <translation>&amp;Range:</translation>
    </message>
    <message>
        <source>最近 30 天</source>
        <translation>Last 30 days</translation>
    </message>
    <message>
        <source>最近 90 天</source>
        <translation>Last 90 days</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>Everything</translation>
    </message>
    <message>
        <source>导出 CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>Minutes</translation>
    </message>
    <message>
        <source>每天练习分钟</source>
        <translation>Minutes per Day</translation>
    </message>
    <message>
        <source>句数</source>
        <translation>Sentences</translation>
    </message>
    <message>
        <source>每天听写句数</source>
        <translation>Sentences per Day</translation>
    </message>
    <message>
        <source>周（起于周一）</source>
        <translation>Week (from Monday)</translation>
    </message>
    <message>
        <source>首次得分</source>
        <translation>First-try score</translation>
    </message>
    <message>
        <source>每周首次得分</source>
        <translation>First-Try Score per Week</translation>
    </message>
    <message>
        <source>录音</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>句子</source>
        <translation>Sentences</translation>
    </message>
    <message>
        <source>已完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>平均得分</source>
        <translation>Average score</translation>
    </message>
    <message>
        <source>上次练习</source>
        <translation>Last practised</translation>
    </message>
    <message>
        <source>各录音</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>正在读取学习记录…</source>
        <translation>Reading the learner records…</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>得分 %</source>
        <translation>Score %</translation>
    </message>
    <message>
        <source>共练习 %1 分钟，听写 %2 次</source>
        <translation>%1 minute(s) practised, %2 line(s) dictated</translation>
    </message>
</context>
<context>
    <name>SubtitleTracks</name>
    <message>
        <source>无法打开</source>
        <translation>cannot open it</translation>
    </message>
    <message>
        <source>解码组件不能读取字幕轨道</source>
        <translation>the decoder module cannot read subtitle tracks</translation>
    </message>
    <message>
        <source>录音里的字幕轨道没有可用的字幕，已按停顿分句</source>
        <translation>the subtitle track in the recording has no usable cues; sentences come from pauses</translation>
    </message>
    <message>
        <source>录音里的字幕是图像，读不出文字，已按停顿分句</source>
        <translation>the subtitles in the recording are pictures and cannot be read; sentences come from pauses</translation>
    </message>
</context>
<context>
    <name>TForm_About</name>
    <message>
        <source>产品名称</source>
        <translation>Product name</translation>
    </message>
    <message>
        <source>产品版本</source>
        <translation>Product version</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>版权</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>文件版本</source>
        <translation>File version</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>合法商标</source>
        <translation>Trademarks</translation>
    </message>
    <message>
        <source>内部名称</source>
        <translation>Internal name</translation>
    </message>
    <message>
        <source>原文件名</source>
        <translation>Original file name</translation>
    </message>
    <message>
        <source>Quillmar奎尔玛</source>
        <translation>Quillmar</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>作者主页:</source>
        <translation>Home page:</translation>
    </message>
    <message>
        <source>作者邮箱:</source>
        <translation>E-mail:</translation>
    </message>
    <message>
        <source>作者QQ:</source>
        <translation>QQ:</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>产品名称: Quillmar奎尔玛</source>
        <translation>Product name: Quillmar</translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>是否把作者QQ号复制到剪贴板？</source>
        <translation>Copy the author&apos;s QQ number to the clipboard?</translation>
    </message>
    <message>
        <source>外语听写训练工具</source>
        <translation>Foreign-language dictation trainer</translation>
    </message>
    <message>
        <source>© 2026 Quillmar 项目，GPL-3.0+ 许可</source>
        <translation>© 2026 The Quillmar project, GPL-3.0+</translation>
    </message>
    <message>
        <source>Quillmar 项目</source>
        <translation>The Quillmar project</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>TForm_Main</name>
    <message>
        <source>没有找到符合条件的内容</source>
        <translation>No matching text was found in the answer</translation>
    </message>
    <message>
        <source>上一句已完成，您要开始听写下一句吗？</source>
        <translation>That sentence is done. Start dictating the next one?</translation>
    </message>
    <message>
        <source>打开听写文件</source>
        <translation>Open Dictation File</translation>
    </message>
    <message>
        <source>保存听写文件</source>
        <translation>Save Dictation File</translation>
    </message>
    <message>
        <source>打开答案文件</source>
        <translation>Open Answer File</translation>
    </message>
    <message>
        <source>关闭答案文件</source>
        <translation>Close Answer File</translation>
    </message>
    <message>
        <source>另存听写文件</source>
        <translation>Save Dictation File As</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>新建听写文件</source>
        <translation>New Dictation File</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>打开语音文件</source>
        <translation>Open Recording</translation>
    </message>
    <message>
        <source>设定循环播放起始点</source>
        <translation>Set Loop Start</translation>
    </message>
    <message>
        <source>设定循环播放结束点</source>
        <translation>Set Loop End</translation>
    </message>
    <message>
        <source>取消循环区间</source>
        <translation>Clear Loop</translation>
    </message>
    <message>
        <source>关闭听写文件</source>
        <translation>Close Dictation File</translation>
    </message>
    <message>
        <source>循环播放起始点左微调</source>
        <translation>Move Loop Start Back</translation>
    </message>
    <message>
        <source>循环播放起始点右微调</source>
        <translation>Move Loop Start Forward</translation>
    </message>
    <message>
        <source>循环播放结束点左微调</source>
        <translation>Move Loop End Back</translation>
    </message>
    <message>
        <source>循环播放结束点右微调</source>
        <translation>Move Loop End Forward</translation>
    </message>
    <message>
        <source>删除循环播放起始点</source>
        <translation>Remove Loop Start</translation>
    </message>
    <message>
        <source>删除循环播放结束点</source>
        <translation>Remove Loop End</translation>
    </message>
    <message>
        <source>设定循环播放结束点并暂停</source>
        <translation>Set Loop End and Pause</translation>
    </message>
    <message>
        <source>播放/暂停</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>将当前循环结束点设为起始点</source>
        <translation>Make Loop End the Start</translation>
    </message>
    <message>
        <source>关闭语音文件</source>
        <translation>Close Recording</translation>
    </message>
    <message>
        <source>帮助主题</source>
        <translation>Help Topics</translation>
    </message>
    <message>
        <source>切换听写与答案页</source>
        <translation>Switch Dictation/Answer Page</translation>
    </message>
    <message>
        <source>上一句</source>
        <translation>Previous Sentence</translation>
    </message>
    <message>
        <source>重复本句</source>
        <translation>Repeat Sentence</translation>
    </message>
    <message>
        <source>下一句</source>
        <translation>Next Sentence</translation>
    </message>
    <message>
        <source>减速</source>
        <translation>Slower</translation>
    </message>
    <message>
        <source>加速</source>
        <translation>Faster</translation>
    </message>
    <message>
        <source>原速</source>
        <translation>Normal Speed</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Jump Back</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Jump Forward</translation>
    </message>
    <message>
        <source>音量加大</source>
        <translation>Volume Up</translation>
    </message>
    <message>
        <source>音量减小</source>
        <translation>Volume Down</translation>
    </message>
    <message>
        <source>精确循环</source>
        <translation>Exact Loop</translation>
    </message>
    <message>
        <source>显示逐词反馈</source>
        <translation>Show Word Feedback</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>最近播放</source>
        <translation>Recently Played</translation>
    </message>
    <message>
        <source>复读设定</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>选项设置(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>文件工具栏</source>
        <translation>File Toolbar</translation>
    </message>
    <message>
        <source>音频文件 (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav|所有支持的文件 (%1)|%1</source>
        <translation>Audio files (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav|All supported files (%1)|%1</translation>
    </message>
    <message>
        <source>请选择语音文件</source>
        <translation>Choose a Recording</translation>
    </message>
    <message>
        <source>文件“%1”不存在！</source>
        <translation>The file &quot;%1&quot; does not exist!</translation>
    </message>
    <message>
        <source>请选择听写文件</source>
        <translation>Choose a Dictation File</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt</source>
        <translation>Text files (*.txt)|*.txt</translation>
    </message>
    <message>
        <source>请选择答案文件</source>
        <translation>Choose an Answer File</translation>
    </message>
    <message>
        <source>无法保存恢复副本：%1</source>
        <translation>Cannot save the recovery copy: %1</translation>
    </message>
    <message>
        <source>上次有尚未保存的听写内容：
%1
要恢复吗？</source>
        <translation>Dictation was left unsaved last time:
%1
Recover it?</translation>
    </message>
    <message>
        <source>恢复的内容将被删除，确定吗？</source>
        <translation>The unsaved dictation will be deleted. Are you sure?</translation>
    </message>
    <message>
        <source>Quillmar奎尔玛</source>
        <translation>Quillmar</translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source> 循环信息</source>
        <translation> Loop</translation>
    </message>
    <message>
        <source>播放位置信息 </source>
        <translation>Position </translation>
    </message>
    <message>
        <source>  语音文件</source>
        <translation>  Recording</translation>
    </message>
    <message>
        <source>  听写文件</source>
        <translation>  Dictation file</translation>
    </message>
    <message>
        <source>  答案文件</source>
        <translation>  Answer file</translation>
    </message>
    <message>
        <source>听写区(&amp;V)</source>
        <translation>&amp;Dictation</translation>
    </message>
    <message>
        <source>提交(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
    <message>
        <source>听写内容</source>
        <translation>Dictation</translation>
    </message>
    <message>
        <source>答案</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>确实要退出吗？</source>
        <translation>Do you really want to exit?</translation>
    </message>
    <message>
        <source>没有找到帮助文件</source>
        <translation>The help file was not found</translation>
    </message>
    <message>
        <source>暂停(&amp;P)</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>播放(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>界面语言(&amp;L)</source>
        <translation>Interface &amp;Language</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Follow the System</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese (中文)</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>界面语言将在程序下次启动时更换。</source>
        <translation>The interface language changes the next time the program starts.</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt|字幕文件 (*.srt;*.vtt;*.lrc)|*.srt;*.vtt;*.lrc|所有支持的文件 (*.txt;*.srt;*.vtt;*.lrc)|*.txt;*.srt;*.vtt;*.lrc</source>
        <translation>Text files (*.txt)|*.txt|Subtitle files (*.srt;*.vtt;*.lrc)|*.srt;*.vtt;*.lrc|All supported files (*.txt;*.srt;*.vtt;*.lrc)|*.txt;*.srt;*.vtt;*.lrc</translation>
    </message>
    <message>
        <source>上次的答案文件“%1”已不在，没有打开。</source>
        <translation>The answer file last used, &quot;%1&quot;, is gone and was not opened.</translation>
    </message>
    <message>
        <source>上次的答案文件没有打开：%1</source>
        <translation>The answer file last used was not opened: %1</translation>
    </message>
    <message>
        <source>听写文件“%1”在副本之后又保存过，文件比副本新（文件 %2 行，副本 %3 行）。</source>
        <translation>The dictation file “%1” was saved after the copy was made: the file is newer than the copy (file %2 lines, copy %3 lines).</translation>
    </message>
    <message>
        <source>听写文件“%1”在副本所依据的版本之后被改过，副本比文件新（副本 %3 行，文件 %2 行）。</source>
        <translation>The dictation file “%1” was changed after the version the copy started from: the copy is newer than the file (copy %3 lines, file %2 lines).</translation>
    </message>
    <message>
        <source>选“是”把副本作为未命名的新文档打开，文件保持不变；选“否”保留文件。</source>
        <translation>Yes opens the copy as a new unnamed document and leaves the file as it is; No keeps the file.</translation>
    </message>
    <message>
        <source>无法保存“%1”：%2</source>
        <translation>Cannot save “%1”: %2</translation>
    </message>
    <message>
        <source>设置和最近播放列表无法保存，本次的更改在程序关闭后不会保留。
%1</source>
        <translation>The settings and the recent files list cannot be saved; changes made now will be lost when the program closes.
%1</translation>
    </message>
    <message>
        <source>逐句听写</source>
        <translation>Sentence by Sentence</translation>
    </message>
    <message>
        <source>跳过本句</source>
        <translation>Skip Sentence</translation>
    </message>
    <message>
        <source>提示下一个词</source>
        <translation>Hint Next Word</translation>
    </message>
    <message>
        <source>显示本句答案</source>
        <translation>Show Sentence Answer</translation>
    </message>
    <message>
        <source>显示句子列表</source>
        <translation>Show Sentence List</translation>
    </message>
    <message>
        <source>这段录音的句子都已完成</source>
        <translation>Every sentence of this recording is done</translation>
    </message>
    <message>
        <source>句子</source>
        <translation>Sentences</translation>
    </message>
    <message>
        <source>以下恢复副本已损坏，已改名保留（损坏的副本只留最近的 %1 个）：
%2</source>
        <translation>These recovery copies are damaged; they were renamed and kept (only the newest %1 damaged copies are kept):
%2</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>音量: %1</source>
        <translation>Volume: %1</translation>
    </message>
    <message>
        <source>复习</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>学习统计</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>学习进度没有保存，没有复习计划</source>
        <translation>Progress is not being kept; there is no review plan</translation>
    </message>
    <message>
        <source>学习进度没有保存，没有学习统计</source>
        <translation>Progress is not being kept; there is no progress to show</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>显示画面</source>
        <translation>Show Picture</translation>
    </message>
    <message>
        <source>显示字幕</source>
        <translation>Show Subtitles</translation>
    </message>
    <message>
        <source>字幕轨道</source>
        <translation>Subtitle Track</translation>
    </message>
    <message>
        <source>听写语言</source>
        <translation>Dictation Language</translation>
    </message>
    <message>
        <source>（没有字幕轨道）</source>
        <translation>(no subtitle tracks)</translation>
    </message>
    <message>
        <source>轨道 %1</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>（图像字幕，无法读取）</source>
        <translation> (picture subtitles, cannot be read)</translation>
    </message>
    <message>
        <source>听写时隐藏答案</source>
        <translation>Hide the Answer While Dictating</translation>
    </message>
    <message>
        <source>学习进度未保存</source>
        <translation>Progress not kept</translation>
    </message>
    <message>
        <source>答案文本已对齐到录音：%1 句</source>
        <translation>The answer text is aligned to the recording: %1 sentences</translation>
    </message>
    <message>
        <source>正在把答案文本对齐到录音… %1%</source>
        <translation>Aligning the answer text to the recording… %1%</translation>
    </message>
    <message>
        <source>字幕文件编码</source>
        <translation>Subtitle File Encoding</translation>
    </message>
    <message>
        <source>自动识别</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>自动识别（%1）</source>
        <translation>Automatic (%1)</translation>
    </message>
    <message>
        <source>本句已播放 %1 遍，按 Ctrl+R 再听</source>
        <translation>Played %1 times; press Ctrl+R to hear it again</translation>
    </message>
    <message>
        <source>练习</source>
        <translation>Practice</translation>
    </message>
    <message>
        <source>答案文本的前 %1 句已可听写，其余的还在对齐…</source>
        <translation>The first %1 sentences of the answer text are ready to dictate; the rest is still being aligned…</translation>
    </message>
    <message>
        <source>重听卡住的词</source>
        <translation>Replay Stuck Word</translation>
    </message>
    <message>
        <source>移动字幕</source>
        <translation>Move subtitles</translation>
    </message>
    <message>
        <source>不用</source>
        <translation>Leave them</translation>
    </message>
    <message>
        <source>把字幕移到声音上（%1）</source>
        <translation>Move subtitles onto the sound (%1)</translation>
    </message>
    <message>
        <source>正在核对字幕时间 %1%</source>
        <translation>Checking subtitle timing %1%</translation>
    </message>
</context>
<context>
    <name>TForm_OptionSetting</name>
    <message>
        <source>选项设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>复读操作控制</source>
        <translation>Repeat control</translation>
    </message>
    <message>
        <source>自动设置循环结束点</source>
        <translation>Set the loop end automatically</translation>
    </message>
    <message>
        <source>开始听写时暂停播音</source>
        <translation>Pause playback when typing starts</translation>
    </message>
    <message>
        <source>检查答案</source>
        <translation>Check against the answer</translation>
    </message>
    <message>
        <source>听写完一句后将当前循环结束点设为起始点</source>
        <translation>After each line, the loop end becomes the start</translation>
    </message>
    <message>
        <source>听写完一句后继续播放</source>
        <translation>After each line, play on</translation>
    </message>
    <message>
        <source>手动模式(推荐)(&amp;M)</source>
        <translation>&amp;Manual (recommended)</translation>
    </message>
    <message>
        <source>自动模式(&amp;A)</source>
        <translation>&amp;Automatic</translation>
    </message>
    <message>
        <source>附加记录内容</source>
        <translation>Also record</translation>
    </message>
    <message>
        <source>记录复读时间点</source>
        <translation>Loop points</translation>
    </message>
    <message>
        <source>记录听写时间</source>
        <translation>Dictation time</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>默认设置(&amp;D)</source>
        <translation>&amp;Defaults</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>无法打开文件“%1”：%2</source>
        <translation>Cannot open the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>读取文件“%1”时出错：%2</source>
        <translation>Error reading the file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>TranscriptAligner</name>
    <message>
        <source>答案文本与录音的语音不符，句子按停顿划分</source>
        <translation>The answer text does not match the speech in the recording; sentences follow the pauses</translation>
    </message>
    <message>
        <source>答案文本有 %1 句在录音中找不到，那里的句子按停顿划分</source>
        <translation>%1 sentences of the answer text were not found in the recording; sentences there follow the pauses</translation>
    </message>
</context>
<context>
    <name>VideoPane</name>
    <message>
        <source>（字幕在提交本句后显示）</source>
        <translation>(the subtitle shows once you have applied a line for this sentence)</translation>
    </message>
    <message>
        <source>画面无法显示，只播放声音（%1）</source>
        <translation>The picture cannot be shown; only the sound plays (%1)</translation>
    </message>
    <message>
        <source>这段视频没有声音，只有画面</source>
        <translation>This video has no sound; only the picture plays</translation>
    </message>
    <message>
        <source>录音里的画面无法解码，只播放声音</source>
        <translation>The picture in the recording cannot be decoded; only the sound plays</translation>
    </message>
    <message>
        <source>录音里的画面已损坏，无法显示，只播放声音</source>
        <translation>The picture in the recording is damaged and cannot be shown; only the sound plays</translation>
    </message>
    <message>
        <source>画面太大，拖慢了声音，已关闭画面，只播放声音</source>
        <translation>The picture held up the sound and is closed; only the sound plays</translation>
    </message>
    <message>
        <source>画面太大，电脑解码跟不上，会跳帧；可在“查看”里关闭“显示画面”</source>
        <translation>The picture is too large to decode smoothly and skips frames; View &gt; Show Picture hides it</translation>
    </message>
</context>
<context>
    <name>WaveformZoom</name>
    <message>
        <source>滚动鼠标滚轮（或 Ctrl+滚轮）缩放，Shift+滚轮左右移动；单击句子播放该句</source>
        <translation>Wheel (or Ctrl+wheel) zooms, Shift+wheel moves along; click a sentence to play it</translation>
    </message>
</context>
<context>
    <name>WordFeedback</name>
    <message>
        <source>这一行超过 %1 个词，无法比较，不算过关</source>
        <translation>This line has more than %1 words: it cannot be compared and does not pass</translation>
    </message>
</context>
<context>
    <name>WordReplayer</name>
    <message>
        <source>正在找这个词在录音中的位置…</source>
        <translation>Finding where the word is said in the recording…</translation>
    </message>
    <message>
        <source>这一句没有词的时间</source>
        <translation>This sentence has no word times</translation>
    </message>
    <message>
        <source>重听“%1”</source>
        <translation>Replaying “%1”</translation>
    </message>
</context>
</TS>
