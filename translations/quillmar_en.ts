<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AnswerPane</name>
    <message>
        <source>答案文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DictationDocument</name>
    <message>
        <source>系统提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件“%1”中有些字节无法按原样读出，保存时您没有编辑过的部分也会被改变。
要先在旁边保留一份原文件（%2）吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法保留原文件“%1”。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>您当前听写的内容要保存吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存时发生错误！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写文件和答案文件相同，请另存！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>另存为</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写文件和答案文件名相同，请另存！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FeedbackSession</name>
    <message>
        <source>已比较 %1 句，平均得分 %2%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FeedbackStrip</name>
    <message>
        <source>删除线加方括号：写错的词和应为的词
＿加方括号：漏写的词
删除线加圆括号：多写的词</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>这一行太长，不作比较</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>得分 %1%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileLabel</name>
    <message>
        <source>未指定</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LoopRules</name>
    <message>
        <source>  循环开始点: %1 结束点: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未设定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>至结尾</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>未知原因</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缺少函数 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法加载播放组件 libmpv：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建播放器：数字格式的区域设置必须是“C”，当前是“%1”。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建播放器（libmpv）。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法设置播放器选项 %1=%2：%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法启动播放器（libmpv）：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法读取该文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不是可识别的音频格式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件中没有可播放的音频</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法打开音频输出设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器错误（%1）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>这是一个文件夹，不是音频文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有读取该文件的权限</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法接收播放器的日志：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法播放文件“%1”：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>就绪</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放结束</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器内部错误：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器内部错误。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>这是一个播放列表，不是音频文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器无法暂停：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器无法播放：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器命令失败（%1）：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放器无法设置 %1=%2：%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法跟踪播放器属性 %1：%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecentFiles</name>
    <message>
        <source>空&amp;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>清空最近播放列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确实要清空最近播放列表吗？</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>语音文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecoveryStore</name>
    <message>
        <source>未命名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无录音</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SentenceNavigation</name>
    <message>
        <source>第 %1/%2 句</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SentenceTrack</name>
    <message>
        <source>正在分析录音… %1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字幕中有 %1 句</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找到 %1 句</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>（%1 条字幕格式有误，已跳过）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>“%1”是一个文件，不是文件夹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有在“%1”中写入的权限</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>原因不明</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法创建设置文件夹“%1”：%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TForm_About</name>
    <message>
        <source>产品名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>产品版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>说明</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>版权</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>合法商标</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>内部名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>原文件名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillmar奎尔玛</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>作者主页:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>作者邮箱:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>作者QQ:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>产品名称: Quillmar奎尔玛</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>是否把作者QQ号复制到剪贴板？</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TForm_Main</name>
    <message>
        <source>没有找到符合条件的内容</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一句已完成，您要开始听写下一句吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开答案文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭答案文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>另存听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>退出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新建听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开语音文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设定循环播放起始点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设定循环播放结束点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消循环区间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>循环播放起始点左微调</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>循环播放起始点右微调</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>循环播放结束点左微调</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>循环播放结束点右微调</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除循环播放起始点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除循环播放结束点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设定循环播放结束点并暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放/暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>将当前循环结束点设为起始点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭语音文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帮助主题</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>切换听写与答案页</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一句</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重复本句</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一句</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>减速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>加速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>原速</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>后退</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前进</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>音量加大</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>音量减小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>精确循环</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示逐词反馈</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复读设定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选项</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选项设置(&amp;O)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帮助</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件工具栏</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>音量</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>音频文件 (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav|所有支持的文件 (%1)|%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择语音文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件“%1”不存在！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择答案文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法保存恢复副本：%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>以下恢复副本已损坏，已改名保留，没有删除：
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上次有尚未保存的听写内容：
%1
要恢复吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>恢复的内容将被删除，确定吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quillmar奎尔玛</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 循环信息</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放位置信息 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  语音文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  听写文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  答案文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写区(&amp;V)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提交(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写内容</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>答案</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确实要退出吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有找到帮助文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂停(&amp;P)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>暂停</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放(&amp;P)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>界面语言(&amp;L)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中文</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>English</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>界面语言将在程序下次启动时更换。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TForm_OptionSetting</name>
    <message>
        <source>选项设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复读操作控制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动设置循环结束点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始听写时暂停播音</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>检查答案</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写完一句后将当前循环结束点设为起始点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>听写完一句后继续播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>手动模式(推荐)(&amp;M)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动模式(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>附加记录内容</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录复读时间点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录听写时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认设置(&amp;D)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>无法打开文件“%1”：%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取文件“%1”时出错：%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
