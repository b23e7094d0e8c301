<?xml version="1.0" encoding="UTF-8"?>
<Playlist xmlns="http://www.dvdforum.org/2005/HDDVDVideo/Playlist" majorVersion="1" minorVersion="0" displayName="Quarnel Sample Disc">
  <Configuration>
    <StreamingBuffer size="0"/>
    <Aperture size="1920x1080"/>
    <MainVideoDefaultColor color="108080"/>
  </Configuration>
  <!-- The codings of the streams the titles name -->
  <MediaAttributeList>
    <VideoAttributeItem index="1" codec="MPEG-2"/>
    <AudioAttributeItem index="1" codec="AC-3" channels="2"/>
    <AudioAttributeItem index="2" codec="DTS-HD" channels="2"/>
    <AudioAttributeItem index="3" codec="LPCM" channels="2"/>
    <AudioAttributeItem index="4" codec="MLP" channels="2"/>
    <AudioAttributeItem index="5" codec="DD+" channels="6"/>
    <SubpictureAttributeItem index="1" codec="2bitRLC"/>
    <SubpictureAttributeItem index="2" codec="8bitRLC"/>
  </MediaAttributeList>
  <TitleSet timeBase="60fps" tickBase="24fps" defaultLanguage="en">
    <!-- Played once when the disc starts: the first second of the feature -->
    <FirstPlayTitle titleDuration="00:00:01:00">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:01:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1"/>
      </PrimaryAudioVideoClip>
    </FirstPlayTitle>
    <Title id="MainTitle" displayName="Main Feature" titleNumber="1" titleDuration="00:00:04:00" onEnd="HighlightTitle">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:02:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="2" description="French"/>
        <Audio track="3" streamNumber="3" mediaAttr="3" description="German"/>
        <Audio track="4" streamNumber="4" mediaAttr="4" description="Japanese"/>
        <Audio track="5" streamNumber="5" mediaAttr="5" description="Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Subtitle track="2" streamNumber="2" mediaAttr="2" description="English HD"/>
      </PrimaryAudioVideoClip>
      <!-- The second part of the feature, joined without a gap -->
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:02:00" titleTimeEnd="00:00:04:00" seamless="true" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="2" description="French"/>
        <Audio track="3" streamNumber="3" mediaAttr="3" description="German"/>
        <Audio track="4" streamNumber="4" mediaAttr="4" description="Japanese"/>
        <Audio track="5" streamNumber="5" mediaAttr="5" description="Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Subtitle track="2" streamNumber="2" mediaAttr="2" description="English HD"/>
      </PrimaryAudioVideoClip>
      <TrackNavigationList>
        <VideoTrack track="1"/>
        <AudioTrack track="1" langcode="en:01"/>
        <AudioTrack track="2" langcode="fr:01"/>
        <AudioTrack track="3" langcode="de:01"/>
        <AudioTrack track="4" langcode="ja:01"/>
        <AudioTrack track="5" langcode="en:03"/>
        <SubtitleTrack track="1" langcode="en:01"/>
        <SubtitleTrack track="2" langcode="en:01"/>
      </TrackNavigationList>
      <ChapterList>
        <Chapter titleTimeBegin="00:00:00:00" displayName="Opening"/>
        <Chapter titleTimeBegin="00:00:01:30" displayName="The Bridge"/>
        <Chapter titleTimeBegin="00:00:02:00" displayName="Second Reel"/>
        <Chapter titleTimeBegin="00:00:03:15" displayName="End Credits"/>
      </ChapterList>
    </Title>
    <!-- A stretch of the second part: one second from half a second in -->
    <Title id="HighlightTitle" displayName="Highlight" titleNumber="2" titleDuration="00:00:01:00" onEnd="MainTitle">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:01:00" clipTimeBegin="00:00:00:30" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" description="English"/>
        <Subtitle track="1" streamNumber="2" mediaAttr="2" description="English"/>
      </PrimaryAudioVideoClip>
      <TrackNavigationList>
        <VideoTrack track="1"/>
        <AudioTrack track="1" langcode="en:01"/>
        <SubtitleTrack track="1" langcode="en:09"/>
      </TrackNavigationList>
      <ChapterList>
        <Chapter titleTimeBegin="00:00:00:00" displayName="Highlight"/>
      </ChapterList>
    </Title>
  </TitleSet>
</Playlist>
